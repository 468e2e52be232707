// The video build job on its own: a real encode, cancels, a refused output, failing encoders, the
// colours each format declares and a song's large cover.
#include "BuildTestSupport.h"

#include "base/Paths.h"
#include "common/TestSupport.h"
#include "media/AudioLength.h"
#include "model/VideoBuildJob.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

#include <zlib.h>

using namespace BuildTestSupport;

namespace {

// What one job sent, and when its end came compared with the encoder's end.
struct JobRecord
{
    QList<QPair<int, int>> progress;
    QList<BuildOutcome> ended;
    qint64 pauseMs = -1;
    QElapsedTimer sinceEnded;

    explicit JobRecord(VideoBuildJob &job)
    {
        QObject::connect(&job, &VideoBuildJob::progressChanged, &job,
                         [this](int position, int percent) { progress.append({position, percent}); });
        QObject::connect(&job, &VideoBuildJob::encoderEnded, &job, [this](BuildOutcome outcome) {
            ended << outcome;
            sinceEnded.start();
        });
        QObject::connect(&job, &VideoBuildJob::finished, &job, [this] { pauseMs = sinceEnded.elapsed(); });
    }
};

// A side x side PNG of 16-bit RGB in one colour, written without holding its pixels: every row
// deflates to the same bytes after a full flush, so one compressed row is written side times.
bool writeLargePng(const QString &path, quint32 side)
{
    QByteArray row(1 + 6 * int(side), '\0');
    for (quint32 x = 0; x < side; ++x)
        memcpy(row.data() + 1 + 6 * x, "\xff\xff\x30\x30\x00\x00", 6);
    z_stream zs = {};
    if (deflateInit(&zs, 9) != Z_OK)
        return false;
    const auto deflateRow = [&](QByteArray &out) {
        out.resize(row.size() + 1024);
        zs.next_in = reinterpret_cast<Bytef *>(row.data());
        zs.avail_in = uInt(row.size());
        zs.next_out = reinterpret_cast<Bytef *>(out.data());
        zs.avail_out = uInt(out.size());
        const int result = deflate(&zs, Z_FULL_FLUSH);
        out.resize(out.size() - int(zs.avail_out));
        return result == Z_OK && zs.avail_in == 0;
    };
    QByteArray first, repeated;
    const bool deflated = deflateRow(first) && deflateRow(repeated);
    deflateEnd(&zs);
    if (!deflated)
        return false;
    uLong adler = adler32(0, nullptr, 0);
    for (quint32 y = 0; y < side; ++y)
        adler = adler32(adler, reinterpret_cast<const Bytef *>(row.constData()), uInt(row.size()));
    QByteArray idat = first;
    for (quint32 y = 1; y < side; ++y)
        idat += repeated;
    // An empty final stored block, then the checksum.
    idat += QByteArray("\x03\x00", 2);
    const auto bigEndian = [](quint32 value) {
        const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    idat += bigEndian(quint32(adler));
    const auto chunk = [&](const QByteArray &type, const QByteArray &data) {
        const QByteArray body = type + data;
        return bigEndian(quint32(data.size())) + body
            + bigEndian(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
    };
    const QByteArray header = bigEndian(side) + bigEndian(side) + QByteArray("\x10\x02\x00\x00\x00", 5);
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", idat)
                      + chunk("IEND", {}))
        > 0;
}

// The process's peak resident memory in KiB since the last resetPeakMemory().
qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace

class TestBuildJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void encode();
    void cancel_data();
    void cancel();
    void refusedOutput();
    void failures_data();
    void failures();
    void swappedAudioIsNotFollowed_data();
    void swappedAudioIsNotFollowed();
    void audioPastJunkIsNotEncoded_data();
    void audioPastJunkIsNotEncoded();
    void colorsReadBack_data();
    void colorsReadBack();
    void coverIsNotDecoded_data();
    void coverIsNotDecoded();

private:
    VideoBuildRequest request(const QString &audio, const QString &output) const
    {
        return {TestSupport::ffmpegPath(), m_picture, audio, 3.0, output, QSize(426, 240)};
    }
    // Runs the job to its end; the test case fails when it does not end.
    bool runToEnd(VideoBuildJob &job);

    QTemporaryDir m_dir;
    QString m_picture;
    QString m_tone;
    QString m_long;
};

void TestBuildJob::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Every build here runs with "%d" in the temporary folder's path, where the encoder's picture
    // copy lives: the encoder must not read that name as an image-sequence pattern.
    const QString oddTemp = m_dir.filePath("temp %d 50%");
    QVERIFY(QDir().mkpath(oddTemp));
    qputenv("TMPDIR", QFile::encodeName(oddTemp));
    QString tempFolder;
    QVERIFY(getTempFolder(tempFolder));
    QVERIFY2(tempFolder.startsWith(oddTemp + '/'), qPrintable(tempFolder));
    JobMedia media;
    QCOMPARE(makeJobMedia(m_dir.path(), media), QString());
    m_picture = media.picture;
    m_tone = media.tone;
    m_long = media.longSong;
}

bool TestBuildJob::runToEnd(VideoBuildJob &job)
{
    QSignalSpy finished(&job, &VideoBuildJob::finished);
    job.start();
    return finished.wait(120000) && finished.size() == 1 && job.isFinished();
}

void TestBuildJob::encode()
{
    const QString output = m_dir.filePath("clip.webm");
    VideoBuildJob job(request(m_tone, output));
    JobRecord record(job);
    QSignalSpy finished(&job, &VideoBuildJob::finished);
    job.start();
    job.start();
    QVERIFY(finished.wait(120000));

    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(0).value<BuildOutcome>(), BuildOutcome::Done);
    QCOMPARE(finished.first().at(1).toString(), QString());
    QCOMPARE(record.ended, QList<BuildOutcome>{BuildOutcome::Done});
    // "100 %" stays up for half a second before the build counts as over.
    QVERIFY2(record.pauseMs >= 500, qPrintable(QString::number(record.pauseMs)));
    QCOMPARE(job.progressMaximum(), 300);
    QVERIFY(record.progress.size() >= 2);
    QCOMPARE(record.progress.last(), qMakePair(300, 100));
    for (int i = 1; i < record.progress.size(); ++i) {
        QVERIFY(record.progress.at(i - 1).first <= record.progress.at(i).first);
        QVERIFY(record.progress.at(i).first >= 0 && record.progress.at(i).second <= 100);
    }
    QCOMPARE(job.encoderProcessId(), 0);

    const Probe video = probe(output);
    QCOMPARE(video.videoCodec, QString("vp8"));
    QCOMPARE(video.width, 426);
    QCOMPARE(video.height, 240);
    QString tempFolder;
    QVERIFY(getTempFolder(tempFolder));
    QVERIFY(QDir(tempFolder).entryList({"BuildPicture_*"}, QDir::Files).isEmpty());
}

void TestBuildJob::cancel_data()
{
    QTest::addColumn<bool>("beforeStart");
    QTest::addRow("while the encoder runs") << false;
    QTest::addRow("before the encoder starts") << true;
}

void TestBuildJob::cancel()
{
    QFETCH(bool, beforeStart);
    const QString output = m_dir.filePath(QStringLiteral("canceled %1.webm").arg(beforeStart));
    VideoBuildRequest longBuild = request(m_long, output);
    longBuild.audioDuration = 1200;
    VideoBuildJob job(longBuild);
    JobRecord record(job);

    qint64 pid = 0;
    QElapsedTimer sinceCancel;
    connect(&job, &VideoBuildJob::progressChanged, this, [&] {
        if (pid != 0)
            return;
        pid = job.encoderProcessId();
        sinceCancel.start();
        job.cancel();
    });
    qint64 goneAfter = -1;
    connect(&job, &VideoBuildJob::encoderEnded, this, [&] {
        if (pid != 0 && processGone(pid))
            goneAfter = sinceCancel.elapsed();
    });
    if (beforeStart)
        job.cancel();
    QVERIFY(runToEnd(job));

    QCOMPARE(job.outcome(), BuildOutcome::Canceled);
    QCOMPARE(record.ended, QList<BuildOutcome>{BuildOutcome::Canceled});
    // "*** Canceled ***" stays up for a second.
    QVERIFY2(record.pauseMs >= 1000, qPrintable(QString::number(record.pauseMs)));
    if (beforeStart) {
        QVERIFY(record.progress.isEmpty());
        QVERIFY2(!QFile::exists(output), "the encoder ran");
    } else {
        QVERIFY(pid > 0);
        QVERIFY2(goneAfter >= 0 && goneAfter <= 200, qPrintable(QString::number(goneAfter)));
        QVERIFY(record.progress.last().first < job.progressMaximum());
    }
    // Once the encoder has ended a cancel changes nothing.
    job.cancel();
    QCOMPARE(job.outcome(), BuildOutcome::Canceled);
}

void TestBuildJob::refusedOutput()
{
    const QString locked = m_dir.filePath("locked");
    QVERIFY(QDir().mkpath(locked));
    const QString encoder = encoderHeldToPermissions(m_dir.filePath("encoder-without-root"));
    if (encoder.isEmpty())
        QSKIP("cannot drop root's file capabilities here");
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    VideoBuildRequest refused = request(m_tone, locked + "/out.mpg");
    refused.encoderPath = encoder;
    VideoBuildJob job(refused);
    JobRecord record(job);
    const bool ended = runToEnd(job);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(ended);

    QCOMPARE(job.outcome(), BuildOutcome::PermissionDenied);
    QCOMPARE(record.ended, QList<BuildOutcome>{BuildOutcome::PermissionDenied});
    QVERIFY2(record.pauseMs < 100, qPrintable(QString::number(record.pauseMs)));
    QVERIFY(!QFile::exists(refused.outputPath));
}

void TestBuildJob::failures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reasonStart");

    QTest::addRow("missing encoder") << "encoder" << "The encoder could not be started:";
    QTest::addRow("picture gone") << "picture" << "The picture could not be copied for the encoder:";
    // The encoder stops on its input before it opens the output: what was there is not its to delete.
    QTest::addRow("audio gone") << "audio" << "The encoder reported:";
    // The encoder created its file beside the earlier video and then failed (a width VP8 cannot
    // hold): what it wrote goes, the earlier one stays.
    QTest::addRow("encoder fails after writing") << "size" << "The encoder reported:";
}

void TestBuildJob::failures()
{
    QFETCH(QString, fault);
    QFETCH(QString, reasonStart);

    const QString output = m_dir.filePath("failed " + fault + ".webm");
    VideoBuildRequest failing = request(m_tone, output);
    if (fault == "encoder") {
        failing.encoderPath = m_dir.filePath("no such encoder");
    } else if (fault == "picture") {
        failing.picturePath = m_dir.filePath("no such picture.bmp");
    } else if (fault == "audio") {
        failing.audioPath = m_dir.filePath("song gone meanwhile.flac");
    } else {
        failing.videoSize = QSize(16400, 240);
    }
    const QByteArray earlier = "an earlier video the user keeps";
    {
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(earlier);
    }

    VideoBuildJob job(failing);
    JobRecord record(job);
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Failed);
    QCOMPARE(record.ended, QList<BuildOutcome>{BuildOutcome::Failed});
    QVERIFY2(job.failureReason().startsWith(reasonStart), qPrintable(job.failureReason()));

    // A failed build never touches the file at the output path.
    {
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
    }
    QFile::remove(output);
    QVERIFY2(QDir(m_dir.path()).entryList({".*"}, QDir::Files | QDir::Hidden).isEmpty(), "a partial video stayed behind");
}

void TestBuildJob::swappedAudioIsNotFollowed_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addRow("HLS playlist") << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:3.0,\nOTHER\n#EXT-X-ENDLIST\n");
    QTest::addRow("concat list") << QByteArray("ffconcat version 1.0\nfile other-song.mp3\n");
}

// The song was chosen, then replaced by a list naming another local file: the encoder must not
// build a video with that file's audio.
void TestBuildJob::swappedAudioIsNotFollowed()
{
    QFETCH(QByteArray, list);
    const QString other = m_dir.filePath("other-song.mp3");
    if (!QFileInfo::exists(other)) {
        QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=300:duration=3", other}),
                 QString());
    }
    const QString song = m_dir.filePath("chosen song.mp3");
    QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=880:duration=3", song}),
             QString());
    {
        QFile file(song);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(list.replace("OTHER", QFile::encodeName(other)));
    }

    const QString output = m_dir.filePath("swapped.webm");
    VideoBuildJob job(request(song, output));
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Failed);
    QVERIFY2(job.failureReason().startsWith("The encoder reported:"), qPrintable(job.failureReason()));
    QVERIFY2(!QFileInfo::exists(output), "a video was left behind");
}

void TestBuildJob::audioPastJunkIsNotEncoded_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addRow("WebM") << "webm";
    QTest::addRow("MPEG-1") << "mpg";
}

// A song, then more zeros than the measuring reads past (a pre-allocated download), then another
// song: the video holds the song that was measured and played, not what lies beyond the zeros.
// The name holds what the encoder's bounded input syntax uses, to show it is taken literally.
void TestBuildJob::audioPastJunkIsNotEncoded()
{
    QFETCH(QString, extension);
    const QString song = m_dir.filePath("download,,:end,1,,.mp3");
    if (!QFileInfo::exists(song)) {
        const QString first = m_dir.filePath("first.mp3");
        const QString second = m_dir.filePath("second.mp3");
        QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", first}),
                 QString());
        QCOMPARE(make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=880:duration=3", second}),
                 QString());
        QFile in1(first), in2(second), out(song);
        QVERIFY(in1.open(QIODevice::ReadOnly) && in2.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(in1.readAll());
        out.write(QByteArray(17 * 1024 * 1024, '\0'));
        out.write(in2.readAll());
    }
    const AudioLengthResult measured = measureAudioLength(song);
    QCOMPARE(measured.status, AudioLengthResult::Measured);
    QVERIFY2(std::abs(measured.seconds - 3.0) < 0.1, qPrintable(QString::number(measured.seconds)));
    QVERIFY(measured.readLimit > 0 && measured.readLimit < QFileInfo(song).size());

    const QString output = m_dir.filePath("bounded." + extension);
    VideoBuildRequest bounded = request(song, output);
    bounded.audioDuration = measured.seconds;
    bounded.audioReadLimit = measured.readLimit;
    VideoBuildJob job(bounded);
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Done);
    const double seconds = probe(output).duration;
    QVERIFY2(seconds > 2.8 && seconds < 3.5, qPrintable(QString::number(seconds)));
}

void TestBuildJob::colorsReadBack_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("declared");   // the colour matrix the file declares; empty: none
    QTest::addRow("WebM") << "webm" << "bt709";
    QTest::addRow("MP4") << "mp4" << "bt709";
    QTest::addRow("MPEG-1") << "mpg" << "";
}

// Bands of known colours go through each format and come back, decoded with the matrix the file
// declares (MPEG-1, which declares none, with its own BT.601), as they went in.
void TestBuildJob::colorsReadBack()
{
    QFETCH(QString, extension);
    QFETCH(QString, declared);
    const QList<QColor> colors{QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(224, 160, 48)};
    const QString picture = m_dir.filePath("bands.bmp");
    if (!QFileInfo::exists(picture)) {
        QStringList arguments{"-size", "426x240", "xc:black"};
        for (int i = 0; i < colors.size(); ++i) {
            arguments << "-fill" << colors.at(i).name() << "-draw"
                      << QStringLiteral("rectangle %1,0 %2,239").arg(i * 106).arg(i * 106 + 105);
        }
        QCOMPARE(make(TestSupport::convertPath(), arguments << "-alpha" << "off" << "-type" << "TrueColor" << picture),
                 QString());
    }
    const QString output = m_dir.filePath("bands." + extension);
    VideoBuildRequest bands = request(m_tone, output);
    bands.picturePath = picture;
    VideoBuildJob job(bands);
    QVERIFY(runToEnd(job));
    QCOMPARE(job.outcome(), BuildOutcome::Done);

    const QStringList fields =
        TestSupport::runCommand(TestSupport::ffprobePath(),
                                {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                 "stream=color_space,color_primaries,color_transfer,color_range", "-of",
                                 "default=noprint_wrappers=1", output})
            .split('\n', Qt::SkipEmptyParts);
    const auto field = [&fields](const QString &name) {
        for (const QString &line : fields) {
            if (line.startsWith(name + '='))
                return line.mid(name.size() + 1).trimmed();
        }
        return QString();
    };
    if (declared.isEmpty()) {
        QCOMPARE(field("color_space"), QString("unknown"));
    } else {
        QCOMPARE(field("color_space"), declared);
        QCOMPARE(field("color_primaries"), declared);
        QCOMPARE(field("color_transfer"), declared);
        QCOMPARE(field("color_range"), QString("tv"));
    }

    const QString raw = m_dir.filePath("bands " + extension + ".rgb");
    QCOMPARE(make(TestSupport::ffmpegPath(),
                  {"-v", "error", "-y", "-i", output, "-vf",
                   QStringLiteral("scale=in_color_matrix=%1:in_range=tv,format=rgb24")
                       .arg(declared.isEmpty() ? QStringLiteral("bt601") : declared),
                   "-frames:v", "1", "-f", "rawvideo", raw}),
             QString());
    QFile file(raw);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pixels = file.readAll();
    QCOMPARE(pixels.size(), 426 * 240 * 3);
    for (int i = 0; i < colors.size(); ++i) {
        const int at = (120 * 426 + i * 106 + 53) * 3;
        const QColor read(quint8(pixels.at(at)), quint8(pixels.at(at + 1)), quint8(pixels.at(at + 2)));
        const QColor &wanted = colors.at(i);
        const int off = std::max({std::abs(read.red() - wanted.red()), std::abs(read.green() - wanted.green()),
                                  std::abs(read.blue() - wanted.blue())});
        QVERIFY2(off <= 6, qPrintable(QStringLiteral("%1 read back as %2").arg(wanted.name(), read.name())));
    }
}

void TestBuildJob::coverIsNotDecoded_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addRow("WebM") << "webm";
    QTest::addRow("MPEG-1") << "mpg";
    QTest::addRow("MP4") << "mp4";
}

// A song whose cover would take 400 MB decoded: neither the encoder's passes nor the AAC-LC test,
// which runs in this process, may decode it.
void TestBuildJob::coverIsNotDecoded()
{
    QFETCH(QString, extension);
    const QString song = m_dir.filePath("covered.m4a");
    if (!QFileInfo::exists(song)) {
        const QString cover = m_dir.filePath("cover.png");
        QVERIFY(writeLargePng(cover, 8000));
        QCOMPARE(make(TestSupport::ffmpegPath(),
                      {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-i", cover,
                       "-map", "0:a", "-map", "1:v", "-c:a", "aac", "-c:v", "copy", "-disposition:v:0",
                       "attached_pic", song}),
                 QString());
    }
    // Each pass of the encoder appends its peak to the log.
    const QString log = m_dir.filePath("peaks " + extension);
    QFile::remove(log);
    const QString encoder = TestSupport::writeScript(
        m_dir.filePath("measured-ffmpeg"),
        QStringLiteral("#!/bin/sh\nexec /usr/bin/time -a -o \"$VELMORA_PEAK_LOG\" -f %M \"%1\" \"$@\"\n")
            .arg(TestSupport::ffmpegPath())
            .toUtf8());
    QVERIFY(!encoder.isEmpty());
    qputenv("VELMORA_PEAK_LOG", QFile::encodeName(log));
    const QString output = m_dir.filePath("covered." + extension);
    VideoBuildRequest covered = request(song, output);
    covered.encoderPath = encoder;
    VideoBuildJob job(covered);
    QVERIFY(resetPeakMemory());
    const qint64 before = peakMemoryKiB();
    QVERIFY(runToEnd(job));
    const qint64 ours = peakMemoryKiB() - before;
    qunsetenv("VELMORA_PEAK_LOG");
    QCOMPARE(job.outcome(), BuildOutcome::Done);

    QFile peaks(log);
    QVERIFY(peaks.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = peaks.readAll().split('\n');
    QVERIFY(lines.size() >= 2);
    for (const QByteArray &line : lines) {
        if (!line.isEmpty())
            QVERIFY2(line.toLongLong() < 200 * 1024, qPrintable("the encoder peaked at " + line + " KiB"));
    }
    QVERIFY2(ours < 100 * 1024, qPrintable(QStringLiteral("this process grew by %1 KiB").arg(ours)));
}

QTEST_MAIN(TestBuildJob)
#include "tst_buildjob.moc"
