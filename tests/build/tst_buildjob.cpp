// The video build job on its own: a real encode, cancels, a refused output and failing encoders.
#include "BuildTestSupport.h"

#include "base/Paths.h"
#include "common/TestSupport.h"
#include "media/AudioLength.h"
#include "model/VideoBuildJob.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

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
    // The encoder wrote beside the earlier video and then failed: what it wrote goes, the earlier one stays.
    QTest::addRow("encoder fails after writing") << "transparent" << "The encoder reported:";
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
        failing.picturePath = m_dir.filePath("transparent.bmp");
        QCOMPARE(make(TestSupport::convertPath(), {"-size", "426x240", "xc:#ff000080", "-alpha", "on", "-define",
                                                   "bmp:format=bmp4", failing.picturePath}),
                 QString());
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

QTEST_MAIN(TestBuildJob)
#include "tst_buildjob.moc"
