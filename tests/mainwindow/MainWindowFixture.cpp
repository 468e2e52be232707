#include "MainWindowFixture.h"

#include "PictureWaits.h"

#include "base/AppSettings.h"
#include "dialogs/CompletionDialog.h"
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>

using namespace TestSupport;

void QuietLauncher::openUrl(const QUrl &url, std::function<void(bool)> done)
{
    urls << url;
    if (done)
        done(true);
}

ModalAnswerer::ModalAnswerer(std::function<bool(QWidget *)> answer)
    : m_answer(std::move(answer))
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (QWidget *modal = QApplication::activeModalWidget())
            if (m_answer(modal))
                ++handled;
    });
    m_timer.start(30);
}

bool createAndWait(MainWindow *window)
{
    window->createVideo();
    return QTest::qWaitFor([window] { return !window->createWaiting(); }, 30000);
}

bool closeCompletionDialog(QWidget *modal)
{
    auto *done = qobject_cast<CompletionDialog *>(modal);
    if (done)
        done->done(2);
    return done;
}

void sendDrag(QWidget *window, const QStringList &paths, QEvent::Type type)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << (p.isEmpty() ? QUrl() : QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    if (type == QEvent::DragEnter) {
        QDragEnterEvent e(QPoint(200, 300), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    } else if (type == QEvent::Drop) {
        QDropEvent e(QPointF(200, 300), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    } else {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(window, &e);
    }
}

void dropFile(QWidget *window, const QString &path)
{
    sendDrag(window, {path}, QEvent::DragEnter);
    sendDrag(window, {path}, QEvent::Drop);
    // A song is checked and a picture prepared from the event loop: the drop is done once the
    // song is taken and the picture shows.
    if (auto *main = qobject_cast<MainWindow *>(window)) {
        QTRY_VERIFY_WITH_TIMEOUT(!main->isCheckingSong(), 30000);
        waitForPictureStep(main);
    }
}

void MainWindowFixture::createMedia()
{
    m_picture = m_media.filePath("photo one.jpg");
    m_portrait = m_media.filePath("portrait.png");
    m_song = m_media.filePath("song.mp3");
    m_flac = m_media.filePath("tone.flac");
    m_notPicture = m_media.filePath("fake.jpg");
    int rc = 0;
    runCommand(convertPath(), {"-size", "800x600", "gradient:red-blue", m_picture}, &rc);
    QCOMPARE(rc, 0);
    runCommand(convertPath(), {"-size", "300x600", "xc:green", m_portrait}, &rc);
    QCOMPARE(rc, 0);
    runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-q:a", "5", m_song}, &rc);
    QCOMPARE(rc, 0);
    runCommand(ffmpegPath(), {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=2", m_flac}, &rc);
    QCOMPARE(rc, 0);
    QFile fake(m_notPicture);
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("this is not a picture\n");
    fake.close();
    DesktopLauncher::setInstance(&m_launcher);
}

void MainWindowFixture::setUpTest()
{
    m_sandbox = std::make_unique<ConfigSandbox>();
    m_sandbox->writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nAutoPlayOnOpen=0\nDestinationFolderPath=%4\n")
                            .arg(convertPath(), ffmpegPath(), ffplayPath(), m_out.path())
                            .toUtf8());
    AppSettings::instance().set(Settings::AutoPlayOnOpen, false);
    m_messages = std::make_unique<MessageRecorder>(QMessageBox::Ok);
    m_launcher.urls.clear();
}

void MainWindowFixture::tearDownTest()
{
    m_messages.reset();
    m_sandbox.reset();
}

std::unique_ptr<MainWindow> MainWindowFixture::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    if (!window->initialize())
        return {};
    window->show();
    // The posted start-up checks (layout and font list) run once the event loop runs; the font
    // list is read as a job.
    QTest::qWait(1);
    if (!QTest::qWaitFor([&] { return !window->fontListPending(); }, 70000))
        return {};
    return window;
}
