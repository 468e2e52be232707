#include "model/VideoBuildJob.h"

#include "base/Paths.h"
#include "base/TerminationSignals.h"
#include "model/Mp4Build.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr int DonePauseMs = 500;
constexpr int CanceledPauseMs = 1000;

// A name beside the output that nothing holds: hidden, with the output's extension, which is
// how the encoder picks the format. The encoder creates it, so a folder it may not write to is
// reported by the encoder as for the output itself.
QString partialNameFor(const QString &outputPath)
{
    const QFileInfo output(outputPath);
    const QString suffix = output.suffix();
    for (;;) {
        const QString name = output.path() + QStringLiteral("/.pictune-")
            + QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36)
            + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
        struct stat info;
        if (::lstat(QFile::encodeName(name).constData(), &info) != 0)
            return name;
    }
}

} // namespace

VideoBuildJob::VideoBuildJob(VideoBuildRequest request, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_progressMaximum(progressRange(m_request.audioDuration))
    , m_pauseTimer(new QTimer(this))
{
    m_pauseTimer->setSingleShot(true);
    // A coarse timer may fire early; the end state stays up for the whole pause.
    m_pauseTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pauseTimer, &QTimer::timeout, this, &VideoBuildJob::finish);
    // Connected before any encoder run connects, so the job hears of the end first.
    connect(&TerminationSignals::instance(), &TerminationSignals::received, this,
            &VideoBuildJob::stopForTermination);
}

VideoBuildJob::~VideoBuildJob()
{
    // The encoder goes before its file does: a run ended by its destruction reports nothing.
    delete m_run;
    m_run = nullptr;
    discardOutput();
}

qint64 VideoBuildJob::encoderProcessId() const
{
    return m_run ? m_run->processId() : 0;
}

void VideoBuildJob::start()
{
    if (m_stage != Stage::Ready)
        return;
    m_stage = Stage::Started;
    QMetaObject::invokeMethod(this, &VideoBuildJob::run, Qt::QueuedConnection);
}

void VideoBuildJob::cancel()
{
    if (m_stage == Stage::Ending || m_stage == Stage::Finished)
        return;
    m_cancelRequested = true;
    if (m_run)
        m_run->cancel();
}

std::unique_ptr<QTemporaryFile> VideoBuildJob::makeTempFile(const QString &pattern)
{
    QString folder;
    if (!getTempFolder(folder))
        return {};
    auto file = std::make_unique<QTemporaryFile>(folder + QLatin1Char('/') + pattern);
    if (!file->open())
        return {};
    file->close();
    return file;
}

bool VideoBuildJob::makePrivatePictureCopy(QString &copyPath)
{
    const QString suffix = QFileInfo(m_request.picturePath).suffix();
    auto copy = makeTempFile(QStringLiteral("BuildPicture_XXXXXX")
                             + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
    QFile source(m_request.picturePath);
    if (!copy || !source.open(QIODevice::ReadOnly) || !copy->open())
        return false;
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() || copy->write(block) != block.size())
            return false;
    }
    if (!copy->flush())
        return false;
    copy->close();
    copyPath = copy->fileName();
    m_pictureCopy = std::move(copy);
    return true;
}

void VideoBuildJob::run()
{
    // Ended meanwhile by a termination signal.
    if (m_stage != Stage::Started)
        return;
    if (m_cancelRequested) {
        endRun({BuildOutcome::Canceled, {}});
        return;
    }
    // The main window may rewrite the prepared picture while the encoder still reads it.
    QString picture;
    if (!makePrivatePictureCopy(picture)) {
        endRun({BuildOutcome::Failed, QStringLiteral("The picture could not be copied for the encoder:\n\n   %1")
                                          .arg(m_request.picturePath)});
        return;
    }

    m_partialPath = partialNameFor(m_request.outputPath);
    if (outputExtension(m_request.outputPath) == QLatin1String("mp4")) {
        startMp4(picture);
        return;
    }
    const QSize size = m_request.videoSize;
    startPass(Pass::Video,
              encoderArguments(picture, m_request.audioPath, size.width(), size.height(), m_partialPath,
                               m_request.audioReadLimit),
              m_partialPath, true);
}

void VideoBuildJob::startMp4(const QString &picture)
{
    m_piece = makeTempFile(QStringLiteral("BuildPiece_XXXXXX.mp4"));
    if (!m_piece) {
        endRun({BuildOutcome::Failed, QStringLiteral("The encoder's temporary files could not be created.")});
        return;
    }
    m_mp4Picture = picture;
    // Whether the song's audio can be copied takes reading all of it.
    const QString audio = m_request.audioPath;
    const qint64 limit = m_request.audioReadLimit;
    m_audioTest = new QFutureWatcher<bool>(this);
    connect(m_audioTest, &QFutureWatcherBase::finished, this, &VideoBuildJob::audioTested);
    m_audioTest->setFuture(QtConcurrent::run([audio, limit] { return isAacLcAudio(audio, limit); }));
}

void VideoBuildJob::audioTested()
{
    m_copiesAudio = m_audioTest->result();
    m_audioTest->deleteLater();
    m_audioTest = nullptr;
    if (m_stage != Stage::Started)
        return;
    if (m_cancelRequested) {
        endRun({BuildOutcome::Canceled, {}});
        return;
    }
    if (!m_copiesAudio)
        m_encodedAudio = makeTempFile(QStringLiteral("BuildAudio_XXXXXX.m4a"));
    if (!m_copiesAudio && !m_encodedAudio) {
        endRun({BuildOutcome::Failed, QStringLiteral("The encoder's temporary files could not be created.")});
        return;
    }
    m_mp4Audio = m_copiesAudio ? m_request.audioPath : m_encodedAudio->fileName();

    // Progress follows the audio: the first pass when it encodes the audio, else the muxing.
    const QSize size = m_request.videoSize;
    if (!m_sharedPiece.isEmpty()) {
        m_piece.reset();
        m_pictureCopy.reset();
        if (m_copiesAudio)
            startPass(Pass::Mp4Mux,
                      mp4MuxArguments(m_sharedPiece, m_mp4Audio, m_request.audioDuration, m_partialPath,
                                      m_request.audioReadLimit),
                      m_partialPath, true);
        else
            startPass(Pass::Mp4Piece, mp4AudioArguments(m_request.audioPath, m_mp4Audio, m_request.audioReadLimit),
                      m_mp4Audio, true);
        return;
    }
    startPass(Pass::Mp4Piece,
              mp4PieceArguments(m_mp4Picture, size.width(), size.height(), m_piece->fileName(), m_request.audioPath,
                                m_copiesAudio ? QString() : m_mp4Audio, m_request.audioReadLimit),
              m_piece->fileName(), !m_copiesAudio);
}

QString VideoBuildJob::mp4PiecePath() const
{
    return m_sharedPiece.isEmpty() && m_piece ? m_piece->fileName() : m_sharedPiece;
}

void VideoBuildJob::startPass(Pass pass, const QStringList &arguments, const QString &writtenPath, bool countsProgress)
{
    m_pass = pass;
    m_passOutput = writtenPath;
    m_countsProgress = countsProgress;
    emit passStarted(arguments);
    m_run = new ToolRun(m_request.encoderPath, arguments, this);
    m_run->setLineHandler([this](const QString &line) { statusLine(line); });
    connect(m_run, &ToolRun::finished, this, &VideoBuildJob::passEnded);
    if (m_cancelRequested)
        m_run->cancel();
    m_run->start();
}

void VideoBuildJob::passEnded(const ToolResult &result)
{
    ToolRun *finishedRun = m_run;
    m_run = nullptr;
    if (finishedRun)
        finishedRun->deleteLater();
    if (m_stage != Stage::Started)
        return;
    m_countsProgress = true;

    BuildVerdict verdict = judgeEncoderRun(result, m_partialPath, isNonEmptyFile(m_passOutput));
    if (verdict.outcome != BuildOutcome::Done) {
        // The user knows the video by its own name, not by the one it was written under.
        if (!m_partialPath.isEmpty())
            verdict.reason.replace(m_partialPath, m_request.outputPath);
        endRun(verdict);
        return;
    }
    switch (m_pass) {
    case Pass::Video:
        placeOutput();
        break;
    case Pass::Mp4Piece: {
        m_pictureCopy.reset();
        // Only the song itself is bounded; an audio track we encoded is read whole.
        const qint64 muxLimit = m_copiesAudio ? m_request.audioReadLimit : -1;
        startPass(Pass::Mp4Mux,
                  mp4MuxArguments(mp4PiecePath(), m_mp4Audio, m_request.audioDuration, m_partialPath, muxLimit),
                  m_partialPath, m_copiesAudio);
        break;
    }
    case Pass::Mp4Mux:
        m_piece.reset();
        m_encodedAudio.reset();
        startMp4Check();
        break;
    }
}

void VideoBuildJob::startMp4Check()
{
    const QString path = m_partialPath;
    const Mp4Expectation expected{m_request.videoSize, m_request.audioDuration, m_copiesAudio};
    m_check = new QFutureWatcher<QString>(this);
    connect(m_check, &QFutureWatcherBase::finished, this, &VideoBuildJob::mp4Checked);
    // The check holds its own copies: it may outlive the job, whose file then is gone.
    m_check->setFuture(QtConcurrent::run([path, expected] { return checkMp4File(path, expected); }));
    emit checkStarted();
}

void VideoBuildJob::mp4Checked()
{
    const QString fault = m_check->result();
    m_check->deleteLater();
    m_check = nullptr;
    if (m_stage != Stage::Started)
        return;
    if (m_cancelRequested)
        endRun({BuildOutcome::Canceled, {}});
    else if (!fault.isEmpty())
        endRun({BuildOutcome::Failed, QStringLiteral("The video was written, but it failed its check:\n\n   %1").arg(fault)});
    else
        placeOutput();
}

void VideoBuildJob::placeOutput()
{
    // rename() replaces the file the user agreed to replace in one step: a reader sees the old
    // video or the new one, never a mix.
    if (::rename(QFile::encodeName(m_partialPath).constData(), QFile::encodeName(m_request.outputPath).constData())
        != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        endRun({BuildOutcome::Failed,
                QStringLiteral("The video was written, but it could not be given its name:\n\n   %1").arg(why)});
        return;
    }
    m_partialPath.clear();
    endRun({BuildOutcome::Done, {}});
}

void VideoBuildJob::endRun(const BuildVerdict &verdict)
{
    if (m_run) {
        // Only a termination ends the build under a running pass; the run is not heard from again.
        m_run->disconnect(this);
        m_run->deleteLater();
        m_run = nullptr;
    }
    releaseTempFiles();
    if (verdict.outcome != BuildOutcome::Done)
        discardOutput();
    switch (verdict.outcome) {
    case BuildOutcome::PermissionDenied:
        end(BuildOutcome::PermissionDenied, 0);
        break;
    case BuildOutcome::Canceled:
        end(BuildOutcome::Canceled, CanceledPauseMs);
        break;
    case BuildOutcome::Failed:
        m_failureReason = verdict.reason;
        end(BuildOutcome::Failed, 0);
        break;
    case BuildOutcome::Done:
        emit progressChanged(m_progressMaximum, 100);
        end(BuildOutcome::Done, DonePauseMs);
        break;
    }
}

void VideoBuildJob::discardOutput()
{
    if (m_partialPath.isEmpty())
        return;
    QFile::remove(m_partialPath);
    m_partialPath.clear();
}

void VideoBuildJob::releaseTempFiles()
{
    m_pictureCopy.reset();
    m_piece.reset();
    m_encodedAudio.reset();
}

void VideoBuildJob::stopForTermination()
{
    if (m_stage != Stage::Started)
        return;
    m_cancelRequested = true;
    // stopNow() reaps the encoder before it returns, and its run may report at once.
    if (m_run)
        m_run->stopNow();
    if (m_stage == Stage::Started)
        endRun({BuildOutcome::Canceled, {}});
}

void VideoBuildJob::statusLine(const QString &line)
{
    const double seconds = parseEncoderTime(line);
    if (!(seconds > 0) || !m_countsProgress)
        return;
    // The bar never runs backwards, whichever pass reports.
    const int position = progressPosition(seconds, m_progressMaximum);
    if (position < m_lastPosition)
        return;
    m_lastPosition = position;
    emit progressChanged(position,
                         progressPercent(seconds, m_request.audioDuration));
}

void VideoBuildJob::end(BuildOutcome outcome, int pauseMs)
{
    m_outcome = outcome;
    m_stage = Stage::Ending;
    emit encoderEnded(outcome);
    if (pauseMs > 0)
        m_pauseTimer->start(pauseMs);
    else
        finish();
}

void VideoBuildJob::finish()
{
    m_stage = Stage::Finished;
    emit finished(m_outcome, m_failureReason);
}
