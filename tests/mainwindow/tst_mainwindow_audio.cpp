#include "TestSupport.h"

#include "base/AppSettings.h"
#include "mainwindow/MainWindow.h"
#include "media/AudioPreview.h"
#include "widgets/MessageBox.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace TestSupport;

// The window's own audio preview: started with the window, its failure shown by the window, and
// shut down by the exit question or the window's end. SDL's dummy driver opens one device at a
// time, so a second window that starts shows the first one let its device go.
class TestMainWindowAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startupFailureIsShownAndEndsTheWindow();
    void exitQuestionShutsTheAudioDown();
    void destructorShutsTheAudioDown();

private:
    std::unique_ptr<MainWindow> makeWindow();
    void playSong(MainWindow *window);

    QTemporaryDir m_media;
    QString m_song;
    std::unique_ptr<ConfigSandbox> m_sandbox;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestMainWindowAudio::initTestCase()
{
    m_song = m_media.filePath("song.ogg");
    int rc = 0;
    runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=5",
                              "-c:a", "libvorbis", m_song}, &rc);
    QCOMPARE(rc, 0);
}

void TestMainWindowAudio::init()
{
    m_sandbox = std::make_unique<ConfigSandbox>();
    AppSettings::instance().set(Settings::AutoPlayOnOpen, false);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestMainWindowAudio::cleanup()
{
    m_messages.reset();
    m_sandbox.reset();
}

std::unique_ptr<MainWindow> TestMainWindowAudio::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    if (!window->initialize())
        return {};
    return window;
}

void TestMainWindowAudio::playSong(MainWindow *window)
{
    window->setAudioFile(m_song);
    window->audio().resume();
    QVERIFY(window->playing());
    QCOMPARE(window->audioPreview().state(), AudioPreview::Playing);
    QTRY_VERIFY(window->audioPreview().position() > 0);
}

void TestMainWindowAudio::startupFailureIsShownAndEndsTheWindow()
{
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    MainWindow window;
    const bool initialized = window.initialize();
    qputenv("SDL_AUDIODRIVER", oldDriver);
    QVERIFY(!initialized);
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages[0].owner, &window);
    QCOMPARE(m_messages->messages[0].caption, QStringLiteral("Velmora"));
    QCOMPARE(m_messages->messages[0].icon, QMessageBox::NoIcon);
    QCOMPARE(m_messages->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(m_messages->messages[0].text,
             QStringLiteral("Sorry, but the audio device could not be initialized.  Error was: 3 - "
                            "There is no available device driver - the device may already be in use."));
}

void TestMainWindowAudio::exitQuestionShutsTheAudioDown()
{
    auto window = makeWindow();
    QVERIFY(window);
    playSong(window.get());

    m_messages->answer = QMessageBox::No;
    window->exitWhenConfirmed();
    QCOMPARE(window->audioPreview().state(), AudioPreview::Playing);

    m_messages->answer = QMessageBox::Yes;
    window->exitWhenConfirmed();
    QCOMPARE(window->audioPreview().state(), AudioPreview::NoStream);
    QVERIFY(window->audioPreview().path().isEmpty());
    // The device is free while the window still exists.
    auto next = makeWindow();
    QVERIFY(next);
    playSong(next.get());
    // Play after the shutdown does nothing; the window's end shuts down a second time, safely.
    window->audio().resume();
    QVERIFY(!window->playing());
    window.reset();
    QCOMPARE(next->audioPreview().state(), AudioPreview::Playing);
}

void TestMainWindowAudio::destructorShutsTheAudioDown()
{
    auto window = makeWindow();
    QVERIFY(window);
    playSong(window.get());
    // Ended from outside, without the exit question.
    window.reset();
    auto next = makeWindow();
    QVERIFY2(next, qPrintable(m_messages->messages.value(0).text));
    playSong(next.get());
}

QTEST_MAIN(TestMainWindowAudio)
#include "tst_mainwindow_audio.moc"
