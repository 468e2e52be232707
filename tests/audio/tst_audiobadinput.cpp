#include "AudioFixtures.h"

#include "media/AudioLength.h"
#include "media/AudioPreview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// Files that are not what their names say, cut short, gone, or not files at all. Also built with
// AddressSanitizer over the audio sources alone.
class TestAudioBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refused_data();
    void refused();
    void fifoDoesNotBlock();
    void shortPathIsRefusedEvenWhenItExists();
    void truncatedFileMeasuresWhatIsThere_data();
    void truncatedFileMeasuresWhatIsThere();
    void fileVanishesBetweenMeasuringAndPlaying();
    void oddNamesOpen_data();
    void oddNamesOpen();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool write(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir m_dir;
    QString m_good;
    std::unique_ptr<AudioPreview> m_preview;
};

void TestAudioBadInput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_good = path("good.wav");
    QVERIFY(AudioFixtures::makeTone(m_good, 2, {"-ar", "44100", "-ac", "2", "-c:a", "pcm_s16le"}));
}

void TestAudioBadInput::init()
{
    m_preview = std::make_unique<AudioPreview>();
    QCOMPARE(m_preview->start(), QString());
}

void TestAudioBadInput::cleanup()
{
    m_preview.reset();
}

bool TestAudioBadInput::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void TestAudioBadInput::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("zero bytes") << "empty.mp3";
    QTest::newRow("random bytes .mp3") << "noise.mp3";
    QTest::newRow("random bytes .wav") << "noise.wav";
    QTest::newRow("random bytes .m4a") << "noise.m4a";
    QTest::newRow("wav header without samples") << "header-only.wav";
    QTest::newRow("png renamed .mp3") << "picture.mp3";
    QTest::newRow("playlist naming a local file") << "playlist.mp3";
    QTest::newRow("video without sound") << "silent-film.mp4";
    QTest::newRow("folder named .mp3") << "folder.mp3";
    QTest::newRow("missing file") << "missing.ogg";
    QTest::newRow("cd track") << "Track01.cda";
}

void TestAudioBadInput::refused()
{
    QFETCH(QString, name);
    const QString file = path(name);
    if (name == "empty.mp3") {
        QVERIFY(write(name, {}));
    } else if (name.startsWith("noise")) {
        QByteArray bytes(256 * 1024, Qt::Uninitialized);
        quint32 x = 2463534242u;
        for (char &c : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = char(x);
        }
        QVERIFY(write(name, bytes));
    } else if (name == "header-only.wav") {
        QVERIFY(AudioFixtures::truncateCopy(m_good, file, 44));
    } else if (name == "picture.mp3") {
        QVERIFY(AudioFixtures::run(AudioFixtures::ffmpegPath(),
                                   {"-hide_banner", "-nostdin", "-y", "-f", "lavfi", "-i",
                                    "color=red:size=32x32", "-frames:v", "1", "-f", "image2",
                                    "-c:v", "png", file}));
    } else if (name == "playlist.mp3") {
        // The demuxer of such lists would read this MP3 segment from the local disk.
        const QString segment = path("segment.mp3");
        QVERIFY(AudioFixtures::makeTone(segment, 2, {"-c:a", "libmp3lame"}));
        QVERIFY(write(name, "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:3\n#EXTINF:2.0,\n"
                            + QFile::encodeName(segment) + "\n#EXT-X-ENDLIST\n"));
    } else if (name == "silent-film.mp4") {
        QVERIFY(AudioFixtures::run(AudioFixtures::ffmpegPath(),
                                   {"-hide_banner", "-nostdin", "-y", "-f", "lavfi", "-i",
                                    "testsrc=size=64x64:rate=5:duration=1", "-c:v", "mpeg4", file}));
    } else if (name == "folder.mp3") {
        QVERIFY(QDir().mkpath(file));
    } else if (name == "Track01.cda") {
        QVERIFY(write(name, QByteArray("RIFF\x24\x00\x00\x00" "CDDAfmt ", 16) + QByteArray(28, '\x01')));
    }

    double duration = 42;
    QVERIFY(!measureAudioFile(file, duration));
    QCOMPARE(duration, 42.0);
    QVERIFY(!m_preview->open(file));
    QCOMPARE(m_preview->state(), AudioPreview::NoStream);
    const AudioTransport played = m_preview->play(file);
    QCOMPARE(played.playing, AudioTransport::ClearPlaying);
    QCOMPARE(played.buttons, AudioTransport::KeepButtons);
}

void TestAudioBadInput::fifoDoesNotBlock()
{
    const QString fifo = path("pipe.wav");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto attempt = std::async(std::launch::async, [this, fifo] {
        double duration = 0;
        return measureAudioFile(fifo, duration) || m_preview->open(fifo);
    });
    if (attempt.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Free the blocked reader so the test can end, then fail.
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        attempt.wait();
        ::close(writer);
        QFAIL("opening a FIFO blocked");
    }
    QVERIFY(!attempt.get());
}

void TestAudioBadInput::shortPathIsRefusedEvenWhenItExists()
{
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(QFile::copy(m_good, "a.wa"));
    double duration = 0;
    const bool shortOne = measureAudioFile("a.wa", duration);
    const bool longer = measureAudioFile("./a.wa", duration);
    QDir::setCurrent(old);
    QVERIFY(!shortOne);
    QVERIFY(longer);
}

void TestAudioBadInput::truncatedFileMeasuresWhatIsThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("wav") << "cut.wav" << QStringList{"-c:a", "pcm_s16le"};
    QTest::newRow("lame mp3") << "cut.mp3" << QStringList{"-c:a", "libmp3lame", "-b:a", "128k"};
    QTest::newRow("flac") << "cut.flac" << QStringList{"-c:a", "flac"};
    QTest::newRow("m4a, index first") << "cut.m4a" << QStringList{"-c:a", "aac", "-movflags", "+faststart"};
}

void TestAudioBadInput::truncatedFileMeasuresWhatIsThere()
{
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    const QString whole = path("whole-" + name);
    const QString cut = path(name);
    QVERIFY(AudioFixtures::makeTone(whole, 5, QStringList{"-ar", "44100", "-ac", "2"} + options));
    QVERIFY(AudioFixtures::truncateCopy(whole, cut, QFileInfo(whole).size() * 2 / 5));
    const double expected = AudioFixtures::decodedLength(cut);
    QVERIFY(expected > 1 && expected < 3);
    double duration = 0;
    QVERIFY(measureAudioFile(cut, duration));
    QVERIFY2(qAbs(duration - expected) <= 0.05,
             qPrintable(QStringLiteral("measured %1 s, decoded %2 s").arg(duration).arg(expected)));
    // It plays to its real end, without a gap or a hang where the header promised more.
    QCOMPARE(m_preview->play(cut).playing, AudioTransport::SetPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(m_preview->state(), AudioPreview::Ended, 15000);
}

void TestAudioBadInput::fileVanishesBetweenMeasuringAndPlaying()
{
    const QString file = path("vanishing.wav");
    QVERIFY(QFile::copy(m_good, file));
    double duration = 0;
    QVERIFY(measureAudioFile(file, duration));
    QVERIFY(QFile::remove(file));
    const AudioTransport played = m_preview->play(file);
    QCOMPARE(played.playing, AudioTransport::ClearPlaying);
    QCOMPARE(played.buttons, AudioTransport::KeepButtons);
    QVERIFY(m_preview->path().isEmpty());

    // Deleted while it plays: the open file goes on to its end.
    QVERIFY(QFile::copy(m_good, file));
    QCOMPARE(m_preview->play(file).playing, AudioTransport::SetPlaying);
    QVERIFY(QFile::remove(file));
    QVERIFY(qAbs(m_preview->length() - 2.0) < 0.05);
    QTRY_COMPARE_WITH_TIMEOUT(m_preview->state(), AudioPreview::Ended, 10000);
}

void TestAudioBadInput::oddNamesOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "name with  blanks.wav";
    QTest::newRow("quotes and percent") << "100% \"quoted\" 'tone' %d%s.wav";
    QTest::newRow("unicode") << "Ünïcödé ♪ 音.wav";
    QTest::newRow("leading dash") << "-i.wav";
    QTest::newRow("looks like a protocol") << "file:pipe:0.wav";
    QTest::newRow("wrong extension") << "really a wav.ogg";
}

void TestAudioBadInput::oddNamesOpen()
{
    QFETCH(QString, name);
    const QString file = path(name);
    QVERIFY(QFile::copy(m_good, file));
    double duration = 0;
    QVERIFY(measureAudioFile(file, duration));
    QVERIFY(qAbs(duration - 2.0) < 0.05);
    QCOMPARE(m_preview->play(file).playing, AudioTransport::SetPlaying);
    QCOMPARE(m_preview->path(), file);
}

QTEST_GUILESS_MAIN(TestAudioBadInput)
#include "tst_audiobadinput.moc"
