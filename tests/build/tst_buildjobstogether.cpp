// Video builds side by side in one process, and the one place that owns a build's output file:
// what a build writes goes when it is cancelled, fails, is destroyed or the program is ended,
// and a file already at the output path changes only when a build succeeded.
#include "BuildTestSupport.h"

#include "base/Paths.h"
#include "base/TerminationSignals.h"
#include "common/TestSupport.h"
#include "media/AudioLength.h"
#include "model/VideoBuildJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace BuildTestSupport;

class TestBuildJobsTogether : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void twoBuildsAtOnce();
    void cancelOneOfTwo();
    void failureKeepsEarlierFile_data();
    void failureKeepsEarlierFile();
    void terminationDuringMp4Check();
    void destroyedWhileEncoding();

private:
    VideoBuildRequest request(const QString &audio, double seconds, const QString &output) const
    {
        return {TestSupport::ffmpegPath(), m_picture, audio, seconds, output, QSize(426, 240)};
    }
    // Everything in the output folder, hidden files included.
    QStringList outputFolder() const
    {
        return QDir(m_out).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_out;
    QString m_picture;
    QString m_tone;
    double m_toneSeconds = 0;
    QString m_long;
};

void TestBuildJobsTogether::initTestCase()
{
    QVERIFY(m_dir.isValid());
    JobMedia media;
    QCOMPARE(makeJobMedia(m_dir.path(), media), QString());
    m_picture = media.picture;
    m_tone = media.tone;
    m_long = media.longSong;
    // The MP4 check holds the video to the length the audio engine measured.
    const AudioLengthResult measured = measureAudioLength(m_tone);
    QCOMPARE(measured.status, AudioLengthResult::Measured);
    m_toneSeconds = measured.seconds;
}

void TestBuildJobsTogether::init()
{
    // A fresh output folder for each test, so a leftover is seen by the test that left it.
    m_out = m_dir.filePath(QStringLiteral("out %1").arg(QTest::currentTestFunction()));
    if (QTest::currentDataTag())
        m_out += QLatin1Char(' ') + QString::fromUtf8(QTest::currentDataTag());
    QVERIFY(QDir().mkpath(m_out));
}

void TestBuildJobsTogether::twoBuildsAtOnce()
{
    const QString webm = m_out + "/together.webm";
    const QString mp4 = m_out + "/together.mp4";
    VideoBuildJob first(request(m_tone, m_toneSeconds, webm));
    VideoBuildJob second(request(m_tone, m_toneSeconds, mp4));
    QSignalSpy firstDone(&first, &VideoBuildJob::finished);
    QSignalSpy secondDone(&second, &VideoBuildJob::finished);
    first.start();
    second.start();
    // Both encoders run at the same moment.
    QTRY_VERIFY(first.encoderProcessId() != 0 && second.encoderProcessId() != 0);
    QTRY_VERIFY_WITH_TIMEOUT(firstDone.size() == 1 && secondDone.size() == 1, 120000);

    QCOMPARE(first.outcome(), BuildOutcome::Done);
    QCOMPARE(second.outcome(), BuildOutcome::Done);
    const Probe webmProbe = probe(webm);
    QCOMPARE(webmProbe.videoCodec, QString("vp8"));
    QCOMPARE(webmProbe.audioCodec, QString("vorbis"));
    QCOMPARE(QSize(webmProbe.width, webmProbe.height), QSize(426, 240));
    QVERIFY2(qAbs(webmProbe.duration - 3.0) < 0.3, qPrintable(QString::number(webmProbe.duration)));
    const Probe mp4Probe = probe(mp4);
    QCOMPARE(mp4Probe.videoCodec, QString("h264"));
    QCOMPARE(mp4Probe.audioCodec, QString("aac"));
    QCOMPARE(QSize(mp4Probe.width, mp4Probe.height), QSize(426, 240));
    QVERIFY2(qAbs(mp4Probe.duration - m_toneSeconds) < 0.1, qPrintable(QString::number(mp4Probe.duration)));
    QCOMPARE(outputFolder(), (QStringList{"together.mp4", "together.webm"}));
}

void TestBuildJobsTogether::cancelOneOfTwo()
{
    const QString canceled = m_out + "/long.webm";
    const QString kept = m_out + "/short.mp4";
    VideoBuildJob longBuild(request(m_long, 1200, canceled));
    VideoBuildJob shortBuild(request(m_tone, m_toneSeconds, kept));
    QSignalSpy longDone(&longBuild, &VideoBuildJob::finished);
    QSignalSpy shortDone(&shortBuild, &VideoBuildJob::finished);
    // The short one first: a build that waited inside another one's run could not end before it.
    shortBuild.start();
    longBuild.start();

    // The short build ends while the long one still encodes, beside it.
    QTRY_VERIFY_WITH_TIMEOUT(shortDone.size() == 1, 120000);
    QCOMPARE(shortBuild.outcome(), BuildOutcome::Done);
    const qint64 encoder = longBuild.encoderProcessId();
    QVERIFY(encoder != 0);
    QVERIFY(longDone.isEmpty());
    const QString partial = longBuild.partialOutputPath();
    QVERIFY2(QFileInfo(partial).fileName().startsWith('.'), qPrintable(partial));
    QCOMPARE(QFileInfo(partial).absolutePath(), QFileInfo(canceled).absolutePath());
    QCOMPARE(QFileInfo(partial).suffix(), QString("webm"));
    QVERIFY(QFileInfo::exists(partial));

    longBuild.cancel();
    QVERIFY(longDone.wait(30000));
    QCOMPARE(longBuild.outcome(), BuildOutcome::Canceled);
    QVERIFY(processGone(encoder));
    QVERIFY(!QFileInfo::exists(partial));
    QVERIFY(!QFileInfo::exists(canceled));
    const Probe whole = probe(kept);
    QCOMPARE(whole.videoCodec, QString("h264"));
    QVERIFY2(qAbs(whole.duration - m_toneSeconds) < 0.1, qPrintable(QString::number(whole.duration)));
    QCOMPARE(outputFolder(), QStringList{"short.mp4"});
}

void TestBuildJobsTogether::failureKeepsEarlierFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome");

    QTest::addRow("MPEG-1, canceled while encoding") << "canceled.mpg" << "cancel" << int(BuildOutcome::Canceled);
    QTest::addRow("MP4, written video fails its check") << "unchecked.mp4" << "check" << int(BuildOutcome::Failed);
}

void TestBuildJobsTogether::failureKeepsEarlierFile()
{
    QFETCH(QString, name);
    QFETCH(QString, fault);
    QFETCH(int, outcome);

    const QString output = m_out + '/' + name;
    const QByteArray earlier = "an earlier video the user keeps";
    {
        QFile file(output);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    VideoBuildRequest failing = request(fault == "cancel" ? m_long : m_tone, fault == "cancel" ? 1200 : m_toneSeconds,
                                        output);
    if (fault == "check") {
        // The audio engine's length and the song's disagree: the written video fails its check.
        failing.audioDuration += 5;
    }
    VideoBuildJob job(failing);
    if (fault == "cancel") {
        connect(&job, &VideoBuildJob::progressChanged, this, [&] {
            if (isNonEmptyFile(job.partialOutputPath()))
                job.cancel();
        });
    }
    QSignalSpy finished(&job, &VideoBuildJob::finished);
    job.start();
    QVERIFY(finished.wait(120000));

    QCOMPARE(int(job.outcome()), outcome);
    // Hidden files count too: the partly written video went with the build.
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), earlier);
    QCOMPARE(outputFolder(), QStringList{name});
}

void TestBuildJobsTogether::terminationDuringMp4Check()
{
    const QString output = m_out + "/ended.mp4";
    VideoBuildJob job(request(m_tone, m_toneSeconds, output));
    QSignalSpy ended(&job, &VideoBuildJob::encoderEnded);
    QString checked;
    bool writtenWhenChecked = false;
    connect(&job, &VideoBuildJob::checkStarted, this, [&] {
        checked = job.partialOutputPath();
        writtenWhenChecked = isNonEmptyFile(checked);
        // As the program's own handler does when SIGTERM arrives.
        emit TerminationSignals::instance().received(SIGTERM);
    });
    QSignalSpy finished(&job, &VideoBuildJob::finished);
    job.start();
    QVERIFY(finished.wait(120000));

    QVERIFY(writtenWhenChecked);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(job.outcome(), BuildOutcome::Canceled);
    QVERIFY(!QFileInfo::exists(checked));
    QVERIFY(!QFileInfo::exists(output));
    QCOMPARE(outputFolder(), QStringList());
}

void TestBuildJobsTogether::destroyedWhileEncoding()
{
    const QString output = m_out + "/destroyed.mpg";
    QPointer<VideoBuildJob> job = new VideoBuildJob(request(m_long, 1200, output));
    qint64 encoder = 0;
    QString partial;
    connect(job, &VideoBuildJob::progressChanged, this, [&] {
        if (encoder != 0 || !isNonEmptyFile(job->partialOutputPath()))
            return;
        encoder = job->encoderProcessId();
        partial = job->partialOutputPath();
        job->deleteLater();
    });
    job->start();
    QTRY_VERIFY_WITH_TIMEOUT(job.isNull(), 60000);

    QVERIFY(encoder != 0);
    QVERIFY(processGone(encoder));
    QVERIFY(!QFileInfo::exists(partial));
    QCOMPARE(outputFolder(), QStringList());
}

QTEST_MAIN(TestBuildJobsTogether)
#include "tst_buildjobstogether.moc"
