#include "AudioFixtures.h"

#include "mainwindow/AudioStep.h"
#include "media/AudioError.h"
#include "media/AudioLength.h"
#include "media/AudioPreview.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Start-up, measuring, opening every audio extension and the window's commands, on SDL's dummy
// output driver.
class TestAudioPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formatDuration_data();
    void formatDuration();
    void startupFailureText_data();
    void startupFailureText();
    void versionNeedsTheBuiltMajors_data();
    void versionNeedsTheBuiltMajors();
    void startupFailsWithoutDriverOrDevice_data();
    void startupFailsWithoutDriverOrDevice();
    void secondInitIsRefused();

    void measuresAndPlaysEveryExtension_data();
    void measuresAndPlaysEveryExtension();
    void cdTrackIsNotOpenable();
    void measuringLeavesPlaybackAlone();

    void commandsWithoutStream();
    void commandsDriveTheButtons();
    void failedOpenClearsStreamAndPath();
    void shutdownIsSafeTwiceAndBeforeDestruction();
    void previewsAreIndependent();

private:
    QString fixture(const QString &name) const { return m_dir.filePath(name); }
    void startPreview();

    QTemporaryDir m_dir;
    // Made fresh for each test; destroying it is the destructor's shutdown.
    std::unique_ptr<AudioPreview> m_preview;
};

void TestAudioPreview::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestAudioPreview::init()
{
    m_preview = std::make_unique<AudioPreview>();
}

void TestAudioPreview::cleanup()
{
    m_preview.reset();
}

void TestAudioPreview::startPreview()
{
    QCOMPARE(m_preview->start(), QString());
    QCOMPARE(AudioPreview::lastError(), int(AudioOk));
}

void TestAudioPreview::formatDuration_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addRow("zero") << 0.0 << "0:00:00.000";
    QTest::addRow("minute and a half") << 83.5 << "0:01:23.500";
    QTest::addRow("hour") << 3725.25 << "1:02:05.250";
    QTest::addRow("hours beyond a day") << 90061.0 << "25:01:01.000";
    QTest::addRow("binary fraction below") << 2.3 << "0:00:02.300";
    QTest::addRow("rounds into next second") << 59.9996 << "0:01:00.000";
    QTest::addRow("negative") << -4.0 << "0:00:00.000";
    QTest::addRow("not a number") << qQNaN() << "0:00:00.000";
}

void TestAudioPreview::formatDuration()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(::formatDuration(seconds), text);
}

void TestAudioPreview::startupFailureText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::addRow("no device") << 23
                               << "23 - The device number specified is invalid (is there a sound card "
                                  "on this system, and are its drivers installed?)";
    QTest::addRow("already") << 14 << "14 - The device has already been initialized.";
    QTest::addRow("no driver")
        << 3 << "3 - There is no available device driver - the device may already be in use.";
    QTest::addRow("format") << 6 << "6 - The specified format is not supported by the device.";
    QTest::addRow("memory") << 1 << "1 - There is insufficient memory.";
    QTest::addRow("3d") << 21 << "21 - The device has no 3D support.";
    QTest::addRow("unknown") << -1 << "-1 - General audio initialization problem.";
    QTest::addRow("outside the table") << 2 << "";
}

void TestAudioPreview::startupFailureText()
{
    QFETCH(int, code);
    QFETCH(QString, detail);
    QCOMPARE(AudioPreview::startupFailureText(code),
             "Sorry, but the audio device could not be initialized.  Error was: " + detail);
}

void TestAudioPreview::versionNeedsTheBuiltMajors_data()
{
    QTest::addColumn<int>("changed");
    QTest::addColumn<bool>("accepted");
    QTest::addRow("same libraries") << -1 << true;
    for (int i = 0; i < 5; ++i)
        QTest::addRow("library %d differs", i) << i << false;
}

void TestAudioPreview::versionNeedsTheBuiltMajors()
{
    QFETCH(int, changed);
    QFETCH(bool, accepted);
    const AudioPreview::LibraryMajors built{59, 59, 4, 57, 2};
    AudioPreview::LibraryMajors loaded = built;
    int *fields[] = {&loaded.avformat, &loaded.avcodec, &loaded.swresample, &loaded.avutil,
                     &loaded.sdl};
    if (changed >= 0)
        *fields[changed] += 1;
    QCOMPARE(AudioPreview::librariesMatch(loaded, built), accepted);
    // The libraries this test runs with are the ones it was built with.
    QVERIFY(AudioPreview::librariesMatch(AudioPreview::loadedLibraries(),
                                         AudioPreview::builtLibraries()));
}

void TestAudioPreview::startupFailsWithoutDriverOrDevice_data()
{
    QTest::addColumn<QByteArray>("driver");
    QTest::addColumn<bool>("unwritableDiskFile");
    QTest::addColumn<int>("code");
    QTest::addRow("no such driver") << QByteArray("no-such-driver") << false << 3;
    QTest::addRow("device cannot open") << QByteArray("disk") << true << 23;
}

void TestAudioPreview::startupFailsWithoutDriverOrDevice()
{
    QFETCH(QByteArray, driver);
    QFETCH(bool, unwritableDiskFile);
    QFETCH(int, code);
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", driver);
    if (unwritableDiskFile) {
        // Below a regular file nothing can be created, even as root.
        QFile blocker(fixture("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(fixture("blocker/out.raw")));
    }
    const QString failure = m_preview->start();
    qputenv("SDL_AUDIODRIVER", oldDriver);
    qunsetenv("SDL_DISKAUDIOFILE");
    QCOMPARE(failure, AudioPreview::startupFailureText(code));
    QCOMPARE(AudioPreview::lastError(), code);
    // Without a device nothing opens.
    QVERIFY(!m_preview->open(fixture("any.wav")));
    QCOMPARE(AudioPreview::lastError(), int(AudioErrorInit));
    // The failure left nothing behind: the next start works.
    startPreview();
}

void TestAudioPreview::secondInitIsRefused()
{
    const QString path = fixture("second-start.wav");
    QVERIFY(AudioFixtures::makeTone(path, 1, {"-c:a", "pcm_s16le"}));
    startPreview();
    QCOMPARE(m_preview->start(), AudioPreview::startupFailureText(14));
    QCOMPARE(AudioPreview::lastError(), 14);
    // The device of the first start is still there.
    QCOMPARE(m_preview->play(path).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->position() > 0);
}

void TestAudioPreview::measuresAndPlaysEveryExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<double>("seconds");
    const auto row = [](const char *name, const QStringList &options, double seconds = 2.5) {
        QTest::newRow(name) << QString::fromLatin1(name) << options << seconds;
    };
    row("tone.wav", {"-ar", "44100", "-ac", "2", "-c:a", "pcm_s16le"});
    row("tone.aiff", {"-ar", "48000", "-ac", "2", "-c:a", "pcm_s16be"});
    row("lame-cbr.mp3", {"-ar", "44100", "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k"});
    row("lame-vbr-mpeg2.mp3", {"-ar", "22050", "-ac", "1", "-c:a", "libmp3lame", "-q:a", "2"}, 3.1);
    row("vbr-no-xing.mp3",
        {"-ar", "22050", "-ac", "1", "-c:a", "libmp3lame", "-q:a", "4", "-write_xing", "0"}, 3.3);
    row("mpeg-audio.mp1", {"-ar", "48000", "-ac", "2", "-c:a", "mp2", "-f", "mp2"});
    row("tone.flac", {"-ar", "48000", "-ac", "2", "-c:a", "flac"});
    row("adts.aac", {"-ar", "44100", "-ac", "2", "-c:a", "aac", "-f", "adts"});
    row("tone.m4a", {"-ar", "22050", "-ac", "1", "-c:a", "aac"});
    row("tone.ogg", {"-ar", "44100", "-ac", "2", "-c:a", "libvorbis"});
    row("tone.wma", {"-ar", "44100", "-ac", "2", "-c:a", "wmav2"});
    // An .mp4 with a picture track ahead of its sound.
    row("with-video.mp4", {"-f", "lavfi", "-i", "testsrc=size=64x64:rate=5", "-map", "1:v", "-map",
                           "0:a", "-shortest", "-c:v", "mpeg4", "-ar", "48000", "-c:a", "aac"});
    // sox writes the .aif, mono at 22050 Hz.
    QTest::newRow("sox.aif") << QStringLiteral("sox.aif") << QStringList() << 1.75;
}

void TestAudioPreview::measuresAndPlaysEveryExtension()
{
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QFETCH(double, seconds);
    const QString path = fixture(name);
    if (options.isEmpty()) {
        QVERIFY(AudioFixtures::run(AudioFixtures::soxPath(),
                                   {"-n", "-r", "22050", "-c", "1", "-b", "16", path, "synth",
                                    QString::number(seconds), "sine", "440"}));
    } else {
        // The picture input of the .mp4 row comes after the tone.
        QStringList args = options;
        QVERIFY(AudioFixtures::makeTone(path, seconds, args));
    }
    const double expected = AudioFixtures::decodedLength(path);
    QVERIFY2(expected > 0, qPrintable(name));

    // Measuring needs no device.
    double duration = -1;
    QVERIFY(measureAudioFile(path, duration));
    QVERIFY2(qAbs(duration - expected) <= 0.050,
             qPrintable(QStringLiteral("%1: measured %2 s, decoded %3 s").arg(name).arg(duration).arg(expected)));

    // Upper-case extensions and names that mislead by their folder are the same file to us.
    const QString upper = fixture("UPPER " + name.toUpper());
    QVERIFY(QFile::copy(path, upper));
    double upperDuration = -1;
    QVERIFY(measureAudioFile(upper, upperDuration));
    QCOMPARE(upperDuration, duration);

    startPreview();
    const AudioTransport played = m_preview->play(upper);
    QCOMPARE(played.buttons, AudioTransport::ShowPauseButton);
    QCOMPARE(played.playing, AudioTransport::SetPlaying);
    QCOMPARE(m_preview->path(), upper);
    QTRY_VERIFY(m_preview->position() > 0);
    QFile::remove(upper);
}

void TestAudioPreview::cdTrackIsNotOpenable()
{
    startPreview();
    // A CD track entry is a tiny descriptor file, not audio.
    QFile cda(fixture("Track01.cda"));
    QVERIFY(cda.open(QIODevice::WriteOnly));
    cda.write(QByteArray("RIFF\x24\x00\x00\x00" "CDDAfmt \x18\x00\x00\x00", 20) + QByteArray(24, '\x01'));
    cda.close();
    double duration = 7;
    QVERIFY(!measureAudioFile(cda.fileName(), duration));
    QCOMPARE(duration, 7.0);
    QVERIFY(!m_preview->open(cda.fileName()));
}

void TestAudioPreview::measuringLeavesPlaybackAlone()
{
    const QString playing = fixture("long.wav");
    const QString other = fixture("other.flac");
    QVERIFY(AudioFixtures::makeTone(playing, 5, {"-c:a", "pcm_s16le"}));
    QVERIFY(AudioFixtures::makeTone(other, 1, {"-c:a", "flac"}));
    startPreview();
    QCOMPARE(m_preview->play(playing).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->position() > 0);
    double duration = 0;
    QVERIFY(measureAudioFile(other, duration));
    const double playingAt = m_preview->position();
    QVERIFY(measureAudioFile(playing, duration));
    QCOMPARE(m_preview->path(), playing);
    QCOMPARE(m_preview->state(), AudioPreview::Playing);
    QVERIFY(m_preview->position() >= playingAt);
    // The playing stream measures itself without losing its place.
    const double before = m_preview->position();
    QVERIFY(qAbs(m_preview->length() - 5.0) < 0.05);
    QVERIFY(m_preview->position() >= before);
}

void TestAudioPreview::commandsWithoutStream()
{
    AudioTransport pause;
    pause.buttons = AudioTransport::ShowPlayButton;
    AudioTransport noPlay;
    noPlay.playing = AudioTransport::ClearPlaying;
    // Before start and after it, the same answers.
    for (bool started : {false, true}) {
        if (started)
            startPreview();
        QCOMPARE(m_preview->pause(), pause);
        QCOMPARE(m_preview->restart(), AudioTransport());
        QCOMPARE(m_preview->stop(), AudioTransport());
        QCOMPARE(m_preview->play(QString()), noPlay);
        QCOMPARE(m_preview->play(fixture("missing.mp3")), noPlay);
        QCOMPARE(AudioPreview::lastError(), int(started ? AudioErrorFileOpen : AudioErrorInit));
        QCOMPARE(m_preview->state(), AudioPreview::NoStream);
        QCOMPARE(m_preview->length(), -1.0);
    }
}

void TestAudioPreview::commandsDriveTheButtons()
{
    const QString path = fixture("buttons.ogg");
    QVERIFY(AudioFixtures::makeTone(path, 3, {"-c:a", "libvorbis"}));
    QWidget window;
    auto *play = new QPushButton(&window);
    auto *pause = new QPushButton(&window);
    pause->hide();
    window.show();
    AudioStep step(play, pause);
    QCOMPARE(step.start(), QString());
    // Each signal clears the window's menu-open flag.
    QSignalSpy menuCleared(&step, &AudioStep::menuCommandDone);

    step.play(path);
    QVERIFY(step.isPlaying());
    QVERIFY(!play->isVisible() && pause->isVisible());
    QCOMPARE(menuCleared.size(), 0);

    step.pause();
    QVERIFY(play->isVisible() && !pause->isVisible());
    QVERIFY(step.isPlaying()); // the flag stays: it tells the window a file was started

    step.restart();
    QVERIFY(!play->isVisible() && pause->isVisible());
    QCOMPARE(menuCleared.size(), 1);

    step.stop();
    QVERIFY(play->isVisible() && !pause->isVisible());
    QCOMPARE(menuCleared.size(), 2);
    QCOMPARE(step.player().position(), 0.0);
    QCOMPARE(step.player().state(), AudioPreview::Stopped);

    // A failed open clears the flag and leaves the buttons as they were.
    step.play(fixture("missing.ogg"));
    QVERIFY(!step.isPlaying());
    QVERIFY(play->isVisible() && !pause->isVisible());
    step.shutdown();
}

void TestAudioPreview::failedOpenClearsStreamAndPath()
{
    const QString good = fixture("good.wav");
    QVERIFY(AudioFixtures::makeTone(good, 1, {"-c:a", "pcm_s16le"}));
    startPreview();
    QVERIFY(m_preview->open(good));
    QCOMPARE(m_preview->path(), good);
    QCOMPARE(m_preview->state(), AudioPreview::Stopped);
    QVERIFY(!m_preview->open(fixture("missing.wav")));
    QCOMPARE(AudioPreview::lastError(), int(AudioErrorFileOpen));
    // The old stream is gone, not just forgotten: nothing is left to play.
    QCOMPARE(m_preview->state(), AudioPreview::NoStream);
    QVERIFY(m_preview->path().isEmpty());
    QCOMPARE(m_preview->play(QString()).playing, AudioTransport::ClearPlaying);
}

void TestAudioPreview::shutdownIsSafeTwiceAndBeforeDestruction()
{
    const QString path = fixture("shutdown.flac");
    QVERIFY(AudioFixtures::makeTone(path, 3, {"-c:a", "flac"}));
    startPreview();
    QCOMPARE(m_preview->play(path).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->position() > 0);
    m_preview->shutdown();
    m_preview->shutdown();
    QCOMPARE(m_preview->state(), AudioPreview::NoStream);
    QVERIFY(m_preview->path().isEmpty());
    // The window's commands after shutdown fail quietly.
    QCOMPARE(m_preview->play(QString()).playing, AudioTransport::ClearPlaying);
    QCOMPARE(m_preview->play(path).playing, AudioTransport::ClearPlaying);
    // Measuring never needed the device.
    double duration = 0;
    QVERIFY(measureAudioFile(path, duration));
    // The destructor (in cleanup) follows a shutdown safely; a preview destroyed while it plays
    // stops and joins its decoder itself.
    {
        AudioPreview playingPreview;
        QCOMPARE(playingPreview.start(), QString());
        QCOMPARE(playingPreview.play(path).playing, AudioTransport::SetPlaying);
        QTRY_VERIFY(playingPreview.position() > 0);
    }
    // What shutdown closed opens again.
    startPreview();
    QCOMPARE(m_preview->play(path).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->position() > 0);
}

void TestAudioPreview::previewsAreIndependent()
{
    const QString first = fixture("first.wav");
    const QString second = fixture("second.ogg");
    QVERIFY(AudioFixtures::makeTone(first, 4, {"-c:a", "pcm_s16le"}));
    QVERIFY(AudioFixtures::makeTone(second, 1, {"-c:a", "libvorbis"}));
    startPreview();
    QCOMPARE(m_preview->play(first).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->position() > 0);
    {
        AudioPreview other;
        // Whether a second device opens is the driver's business (the dummy one has only one).
        const bool started = other.start().isEmpty();
        QCOMPARE(other.open(second), started);
        QCOMPARE(other.stop().buttons, started ? AudioTransport::ShowPlayButton
                                               : AudioTransport::KeepButtons);
        QCOMPARE(m_preview->path(), first);
        other.shutdown();
    }
    // The other preview's start, commands and end touched nothing of this one.
    QCOMPARE(m_preview->state(), AudioPreview::Playing);
    const double before = m_preview->position();
    QTRY_VERIFY(m_preview->position() > before);
}

QTEST_MAIN(TestAudioPreview)
#include "tst_audiopreview.moc"
