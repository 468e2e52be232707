// MP4 builds with the real tools: what the file holds, how it decodes, how close its frames are to
// the prepared picture, the copied audio, the check after writing, cancel and a full disk.
#include "BuildTestSupport.h"

#include "base/Paths.h"
#include "base/TerminationSignals.h"
#include "common/TestSupport.h"
#include "media/AudioLength.h"
#include "model/Mp4Build.h"
#include "model/VideoBuildJob.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace BuildTestSupport;

namespace {

constexpr double SongSeconds = 65;
constexpr double Frame = 1.0 / Mp4FrameRate;

QJsonObject probeJson(const QString &path)
{
    const QString json = TestSupport::runCommand(
        TestSupport::ffprobePath(),
        {"-v", "error", "-show_entries",
         "stream=codec_type,codec_name,profile,pix_fmt,width,height,r_frame_rate,avg_frame_rate,duration",
         "-show_entries", "format_tags=title", "-of", "json", path});
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

// The PSNR (dB) of the frame at `seconds` against the picture, compared in RGB.
double framePsnr(const QString &video, double seconds, const QString &picture)
{
    const QString output = TestSupport::runCommand(
        TestSupport::ffmpegPath(),
        {"-hide_banner", "-ss", QString::number(seconds, 'f', 3), "-i", video, "-i", picture, "-lavfi",
         "[0:v]scale=in_color_matrix=bt709:in_range=tv,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr",
         "-frames:v", "1", "-f", "null", "-"});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("PSNR r:\\S+ g:\\S+ b:\\S+ average:(\\S+)")).match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

// The MD5 of a file's audio packets as they are stored, without decoding them.
QString audioPacketsMd5(const QString &path)
{
    return TestSupport::runCommand(TestSupport::ffmpegPath(), {"-v", "error", "-i", path, "-map", "0:a:0", "-c",
                                                               "copy", "-f", "md5", "-"})
        .trimmed();
}

QStringList leftovers()
{
    QString folder;
    if (!getTempFolder(folder))
        return {QStringLiteral("no temporary folder")};
    return QDir(folder).entryList({"BuildPiece_*", "BuildAudio_*", "BuildPicture_*"}, QDir::Files);
}

} // namespace

class TestMp4Build : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void build_data();
    void build();
    void failedCheck_data();
    void failedCheck();
    void checkAfterWriting();
    void aacLcTest_data();
    void aacLcTest();
    void joinedAdtsIsEncoded();
    void terminationDuringCheck();
    void cancel();
    void fullDisk();
    void fullDiskInNamespace();

private:
    QString picture(QSize size);
    VideoBuildRequest request(const QString &audio, const QString &output, QSize size) const;
    bool runToEnd(VideoBuildJob &job);

    QTemporaryDir m_dir;
    QMap<QString, QString> m_songs;         // by extension
    QMap<QString, double> m_songSeconds;    // as the audio engine measures them
    QMap<int, QString> m_pictures;          // by width
    QString m_built1080p;                   // a good build that the check tests spoil
    // ADTS at 44.1 kHz followed by ADTS at 22.05 kHz, and the length of the first part.
    QString m_joinedAdts;
    qint64 m_firstAdtsBytes = 0;
};

void TestMp4Build::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString flac = m_dir.filePath("song.flac");
    QCOMPARE(make(TestSupport::ffmpegPath(),
                  {"-v", "error", "-y", "-f", "lavfi", "-i",
                   QStringLiteral("sine=frequency=330:duration=%1:sample_rate=44100").arg(SongSeconds), "-f",
                   "lavfi", "-i", QStringLiteral("sine=frequency=495:duration=%1:sample_rate=44100").arg(SongSeconds),
                   "-filter_complex", "amerge=inputs=2", "-metadata", "title=Midnight Drive", flac}),
             QString());
    const QString mp3 = m_dir.filePath("song.mp3");
    const QString m4a = m_dir.filePath("song.m4a");
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-i", flac, "-c:a", "libmp3lame", "-b:a", "192k", mp3}),
             QString());
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-i", flac, "-c:a", "aac", "-b:a", "160k", m4a}),
             QString());
    m_songs = {{"flac", flac}, {"mp3", mp3}, {"m4a", m4a}};

    const QString first = m_dir.filePath("first.aac");
    const QString second = m_dir.filePath("second.aac");
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i",
                                              "sine=frequency=440:duration=3:sample_rate=44100", "-c:a", "aac", first}),
             QString());
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i",
                                              "sine=frequency=660:duration=3:sample_rate=22050", "-c:a", "aac", second}),
             QString());
    m_joinedAdts = m_dir.filePath("joined.aac");
    {
        QFile a(first), b(second), joined(m_joinedAdts);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && joined.open(QIODevice::WriteOnly));
        const QByteArray head = a.readAll();
        m_firstAdtsBytes = head.size();
        joined.write(head + b.readAll());
    }
    for (auto it = m_songs.cbegin(); it != m_songs.cend(); ++it) {
        double seconds = 0;
        QVERIFY(measureAudioFile(it.value(), seconds));
        m_songSeconds[it.key()] = seconds;
    }
}

QString TestMp4Build::picture(QSize size)
{
    if (!m_pictures.contains(size.width())) {
        // Fine detail and hard edges: what a blurring encoder would lose first.
        const QString path = m_dir.filePath(QStringLiteral("prepared %1.bmp").arg(size.width()));
        const int w = size.width();
        const int h = size.height();
        const QString error = make(
            TestSupport::convertPath(),
            {"-size", QStringLiteral("%1x%2").arg(w).arg(h), "-seed", "7", "plasma:fractal", "-blur", "0x0.7",
             "-fill", "white", "-draw", QStringLiteral("rectangle %1,%2 %3,%4").arg(w / 8).arg(h / 8).arg(w / 4).arg(h / 3),
             "-fill", "#102040", "-draw",
             QStringLiteral("rectangle %1,%2 %3,%4").arg(w / 2).arg(h / 2).arg(w / 2 + w / 10).arg(h - h / 8),
             "-alpha", "off", path});
        if (!error.isEmpty())
            return {};
        m_pictures[size.width()] = path;
    }
    return m_pictures.value(size.width());
}

VideoBuildRequest TestMp4Build::request(const QString &audio, const QString &output, QSize size) const
{
    const QString extension = QFileInfo(audio).suffix();
    return {TestSupport::ffmpegPath(), m_pictures.value(size.width()), audio,
            m_songSeconds.value(extension, SongSeconds), output, size};
}

bool TestMp4Build::runToEnd(VideoBuildJob &job)
{
    QSignalSpy finished(&job, &VideoBuildJob::finished);
    job.start();
    return finished.wait(300000) && finished.size() == 1 && job.isFinished();
}

void TestMp4Build::build_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QSize>("size");
    for (const char *source : {"flac", "mp3", "m4a"}) {
        for (const QSize size : {QSize(1920, 1080), QSize(640, 360)})
            QTest::addRow("%s %dx%d", source, size.width(), size.height()) << QString(source) << size;
    }
}

void TestMp4Build::build()
{
    QFETCH(QString, source);
    QFETCH(QSize, size);
    QVERIFY(!picture(size).isEmpty());
    const QString output = m_dir.filePath(QStringLiteral("built %1 %2.mp4").arg(source).arg(size.width()));
    const double seconds = m_songSeconds.value(source);
    VideoBuildJob job(request(m_songs.value(source), output, size));
    QList<int> positions;
    connect(&job, &VideoBuildJob::progressChanged, this, [&](int position, int) { positions << position; });
    QVERIFY(runToEnd(job));
    QCOMPARE(job.failureReason(), QString());
    QCOMPARE(job.outcome(), BuildOutcome::Done);
    QVERIFY(positions.size() >= 2);
    QVERIFY(std::is_sorted(positions.cbegin(), positions.cend()));
    QCOMPARE(positions.last(), job.progressMaximum());
    QCOMPARE(leftovers(), QStringList());

    const QJsonObject probed = probeJson(output);
    // The song's tags travel with it.
    QCOMPARE(probed.value("format").toObject().value("tags").toObject().value("title").toString(),
             QString("Midnight Drive"));
    const QJsonArray streams = probed.value("streams").toArray();
    QCOMPARE(streams.size(), 2);
    const QJsonObject video = streams.at(0).toObject();
    const QJsonObject audio = streams.at(1).toObject();
    QCOMPARE(video.value("codec_name").toString(), QString("h264"));
    QCOMPARE(video.value("profile").toString(), QString("High"));
    QCOMPARE(video.value("pix_fmt").toString(), QString("yuv420p"));
    QCOMPARE(QSize(video.value("width").toInt(), video.value("height").toInt()), size);
    QCOMPARE(video.value("r_frame_rate").toString(), QString("30/1"));
    QCOMPARE(video.value("avg_frame_rate").toString(), QString("30/1"));
    QCOMPARE(audio.value("codec_name").toString(), QString("aac"));
    QCOMPARE(audio.value("profile").toString(), QString("LC"));
    const double videoSeconds = video.value("duration").toString().toDouble();
    const double audioSeconds = audio.value("duration").toString().toDouble();
    QVERIFY2(std::fabs(videoSeconds - seconds) <= Frame, qPrintable(QString::number(videoSeconds)));
    QVERIFY2(std::fabs(audioSeconds - seconds) <= Frame, qPrintable(QString::number(audioSeconds)));

    // The index comes first, so playback can begin before the whole file is there.
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1 << 20);
    QVERIFY(head.indexOf("moov") > 0);
    QVERIFY(head.indexOf("mdat") < 0 || head.indexOf("moov") < head.indexOf("mdat"));

    int exitCode = -1;
    const QString decodeErrors = TestSupport::runCommand(
        TestSupport::ffmpegPath(), {"-v", "error", "-i", output, "-f", "null", "-"}, &exitCode, 240000);
    QCOMPARE(decodeErrors, QString());
    QCOMPARE(exitCode, 0);

    for (const double at : {0.0, seconds / 2, seconds - 1.5 * Frame}) {
        const double psnr = framePsnr(output, at, m_pictures.value(size.width()));
        QVERIFY2(psnr >= 35, qPrintable(QStringLiteral("%1 dB at %2 s").arg(psnr).arg(at)));
    }
    if (source == QLatin1String("m4a"))
        QCOMPARE(audioPacketsMd5(output), audioPacketsMd5(m_songs.value(source)));
    if (size.width() == 1920 && source == QLatin1String("flac"))
        m_built1080p = output;
}

void TestMp4Build::failedCheck_data()
{
    QTest::addColumn<QString>("spoil");     // what is done to a copy of a good build
    QTest::addColumn<QSize>("size");        // what the check expects
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("reason");    // the start of what the check says

    const double song = SongSeconds;
    QTest::addRow("good") << "" << QSize(1920, 1080) << song << "";
    QTest::addRow("another size") << "" << QSize(1280, 720) << song << "The video is 1920x1080, not 1280x720.";
    QTest::addRow("a longer song") << "" << QSize(1920, 1080) << song + 2 * Frame << "The video lasts ";
    QTest::addRow("a shorter song") << "" << QSize(1920, 1080) << song - 2 * Frame << "The video lasts ";
    QTest::addRow("damaged picture") << "picture" << QSize(1920, 1080) << song << "The video does not decode";
    QTest::addRow("cut short") << "cut" << QSize(1920, 1080) << song << "The video";
    QTest::addRow("not a video") << "text" << QSize(1920, 1080) << song << "The video cannot be read back.";
    QTest::addRow("audio that does not decode") << "joined" << QSize(1920, 1080) << song
                                                << "The audio does not decode: ";
}

void TestMp4Build::failedCheck()
{
    QFETCH(QString, spoil);
    QFETCH(QSize, size);
    QFETCH(double, seconds);
    QFETCH(QString, reason);
    if (m_built1080p.isEmpty())
        QSKIP("needs the FLAC build at 1920x1080");
    const QString path = m_dir.filePath("spoiled.mp4");
    QFile::remove(path);
    QVERIFY(QFile::copy(m_built1080p, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll();
    if (spoil == "picture") {
        // Garbage in the middle of the first key frame, the piece every later one repeats.
        const int mdat = bytes.indexOf("mdat");
        QVERIFY(mdat > 0);
        file.seek(mdat + 2000);
        file.write(QByteArray(4000, '\x5a'));
    } else if (spoil == "cut") {
        file.resize(bytes.size() / 2);
    } else if (spoil == "joined") {
        // The joined song copied as it is: its second half does not decode as the first.
        file.close();
        QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-i", m_built1080p, "-i", m_joinedAdts, "-map",
                                                  "0:v", "-map", "1:a", "-c", "copy", "-f", "mp4", path}),
                 QString());
        QVERIFY(file.open(QIODevice::ReadWrite));
    } else if (spoil == "text") {
        file.resize(0);
        file.write("not a video\n");
    }
    file.close();
    // The check runs on the song the build was made for, as the audio engine measured it.
    const double offset = seconds - SongSeconds;
    const QString fault = checkMp4File(path, {size, m_songSeconds.value("flac") + offset});
    QVERIFY2(reason.isEmpty() ? fault.isEmpty() : fault.startsWith(reason), qPrintable(fault));
}

void TestMp4Build::checkAfterWriting()
{
    // The audio engine says the song is longer than what the file holds: the video is cut at that
    // length while the audio ends earlier, and the check turns the build into a failure.
    const QSize size(640, 360);
    QVERIFY(!picture(size).isEmpty());
    const QString output = m_dir.filePath("too long.mp4");
    VideoBuildRequest wrong = request(m_songs.value("flac"), output, size);
    wrong.audioDuration += 5;
    VideoBuildJob job(wrong);
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Failed);
    QVERIFY2(job.failureReason().startsWith("The video was written, but it failed its check:\n\n   The video lasts "),
             qPrintable(job.failureReason()));
    QVERIFY(!QFile::exists(output));
    QCOMPARE(leftovers(), QStringList());
}

void TestMp4Build::aacLcTest_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<bool>("toTheLimit");   // read only up to the end of the joined song's first part
    QTest::addColumn<bool>("copied");
    QTest::addRow("M4A") << "m4a" << false << true;
    QTest::addRow("MP3") << "mp3" << false << false;
    QTest::addRow("FLAC") << "flac" << false << false;
    QTest::addRow("ADTS changing its rate") << "joined" << false << false;
    QTest::addRow("ADTS up to the change") << "joined" << true << true;
}

void TestMp4Build::aacLcTest()
{
    QFETCH(QString, song);
    QFETCH(bool, toTheLimit);
    QFETCH(bool, copied);
    const QString path = song == "joined" ? m_joinedAdts : m_songs.value(song);
    QCOMPARE(isAacLcAudio(path, toTheLimit ? m_firstAdtsBytes : -1), copied);
}

void TestMp4Build::joinedAdtsIsEncoded()
{
    const QSize size(640, 360);
    QVERIFY(!picture(size).isEmpty());
    double seconds = 0;
    QVERIFY(measureAudioFile(m_joinedAdts, seconds));
    const QString output = m_dir.filePath("joined.mp4");
    VideoBuildRequest joined = request(m_joinedAdts, output, size);
    joined.audioDuration = seconds;
    VideoBuildJob job(joined);
    QVERIFY(runToEnd(job));
    QCOMPARE(job.failureReason(), QString());
    QCOMPARE(job.outcome(), BuildOutcome::Done);
    int exitCode = -1;
    const QString decodeErrors = TestSupport::runCommand(
        TestSupport::ffmpegPath(), {"-v", "error", "-i", output, "-map", "0:a", "-f", "null", "-"}, &exitCode);
    QCOMPARE(decodeErrors, QString());
    QCOMPARE(exitCode, 0);
}

// The program ending on a signal while the written video is checked: the unchecked video goes.
void TestMp4Build::terminationDuringCheck()
{
    const QSize size(640, 360);
    QVERIFY(!picture(size).isEmpty());
    const QString output = m_dir.filePath("terminated.mp4");
    VideoBuildJob job(request(m_songs.value("m4a"), output, size));
    QString partial;
    connect(&job, &VideoBuildJob::checkStarted, this, [&] {
        partial = job.partialOutputPath();
        emit TerminationSignals::instance().received(SIGTERM);
    });
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Canceled);
    QVERIFY(!partial.isEmpty());
    QVERIFY2(!QFile::exists(partial), "the unchecked video stayed");
    QVERIFY(!QFile::exists(output));
    QCOMPARE(leftovers(), QStringList());
}

void TestMp4Build::cancel()
{
    // A song long enough that the first pass is still encoding it when Cancel comes.
    const QString longSong = m_dir.filePath("long.wav");
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i",
                                              "sine=frequency=220:duration=1800:sample_rate=48000", longSong}),
             QString());
    const QSize size(1920, 1080);
    QVERIFY(!picture(size).isEmpty());
    const QString output = m_dir.filePath("canceled.mp4");
    VideoBuildRequest longBuild = request(longSong, output, size);
    longBuild.audioDuration = 1800;
    VideoBuildJob job(longBuild);
    qint64 pid = 0;
    connect(&job, &VideoBuildJob::progressChanged, this, [&](int, int) {
        if (!pid) {
            pid = job.encoderProcessId();
            job.cancel();
        }
    });
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Canceled);
    QVERIFY(pid > 0);
    QVERIFY(processGone(pid));
    QCOMPARE(leftovers(), QStringList());
    QVERIFY(!QFile::exists(output));
}

void TestMp4Build::fullDisk()
{
    if (::geteuid() != 0)
        QSKIP("a private tmpfs needs root");
    int code = -1;
    TestSupport::runCommand("unshare", {"--mount", "--propagation", "private", "true"}, &code);
    if (code != 0)
        QSKIP("no private mount namespace here");
    // The build runs again in this program, inside a mount namespace of its own where the
    // output folder is a tmpfs too small for the video; nothing outside that process sees it.
    QTemporaryDir small;
    QVERIFY(small.isValid());
    qputenv("VELMORA_FULL_DISK_DIR", QFile::encodeName(small.path()));
    const QString output = TestSupport::runCommand(
        "unshare", {"--mount", "--propagation", "private", "/bin/sh", "-c",
                    "mount -t tmpfs -o size=600k velmora-full-disk \"$1\" && exec \"$2\" fullDiskInNamespace",
                    "sh", small.path(), QCoreApplication::applicationFilePath()},
        &code, 300000);
    qunsetenv("VELMORA_FULL_DISK_DIR");
    QVERIFY2(code == 0, qPrintable(output));
    QVERIFY2(output.contains("PASS   : TestMp4Build::fullDiskInNamespace()"), qPrintable(output));
}

void TestMp4Build::fullDiskInNamespace()
{
    const QString folder = qEnvironmentVariable("VELMORA_FULL_DISK_DIR");
    if (folder.isEmpty())
        QSKIP("run by fullDisk() in a namespace of its own");
    const QSize size(640, 360);
    QVERIFY(!picture(size).isEmpty());
    const QString output = folder + "/full.mp4";
    VideoBuildJob job(request(m_songs.value("flac"), output, size));
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Failed);
    QVERIFY2(job.failureReason().contains("No space left on device"), qPrintable(job.failureReason()));
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(leftovers(), QStringList());
}

QTEST_MAIN(TestMp4Build)
#include "tst_mp4build.moc"
