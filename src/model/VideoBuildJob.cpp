#include "model/VideoBuildJob.h"

#include "base/Paths.h"
#include "base/TerminationSignals.h"
#include "model/Mp4Build.h"
#include "tools/ToolRunner.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

namespace {

constexpr int DonePauseMs = 500;
constexpr int CanceledPauseMs = 1000;

// What a path names before and after the encoder ran: a difference means the encoder wrote it.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileStamp of(const QString &path)
    {
        FileStamp stamp;
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
            stamp.exists = true;
            stamp.device = info.st_dev;
            stamp.inode = info.st_ino;
            stamp.size = info.st_size;
            stamp.modified = info.st_mtim;
        }
        return stamp;
    }

    bool sameAs(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode
            && size == other.size && modified.tv_sec == other.modified.tv_sec
            && modified.tv_nsec == other.modified.tv_nsec;
    }
};

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
}

VideoBuildJob::~VideoBuildJob() = default;

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
    // The main window may rewrite the prepared picture while the encoder still reads it.
    QString picture;
    if (!makePrivatePictureCopy(picture)) {
        m_failureReason = QStringLiteral("The picture could not be copied for the encoder:\n\n   %1")
                              .arg(m_request.picturePath);
        end(BuildOutcome::Failed, 0);
        return;
    }

    if (outputExtension(m_request.outputPath) == QLatin1String("mp4")) {
        runMp4(picture);
        return;
    }

    const QSize size = m_request.videoSize;
    const bool done = runEncoderPass(encoderArguments(picture, m_request.audioPath, size.width(), size.height(),
                                                      m_request.outputPath, m_request.audioReadLimit),
                                     m_request.outputPath, true);
    if (done)
        endRun({BuildOutcome::Done, {}}, true);
}

void VideoBuildJob::endRun(const BuildVerdict &verdict, bool outputTouched)
{
    m_pictureCopy.reset();
    m_piece.reset();
    m_encodedAudio.reset();
    switch (verdict.outcome) {
    case BuildOutcome::PermissionDenied:
        end(BuildOutcome::PermissionDenied, 0);
        break;
    case BuildOutcome::Canceled:
        end(BuildOutcome::Canceled, CanceledPauseMs);
        break;
    case BuildOutcome::Failed:
        m_failureReason = verdict.reason;
        // Only what this build wrote goes: a file it never touched is not ours to delete.
        if (outputTouched)
            QFile::remove(m_request.outputPath);
        end(BuildOutcome::Failed, 0);
        break;
    case BuildOutcome::Done:
        emit progressChanged(m_progressMaximum, 100);
        end(BuildOutcome::Done, DonePauseMs);
        break;
    }
}

void VideoBuildJob::runMp4(const QString &picture)
{
    const QString &output = m_request.outputPath;
    const FileStamp before = FileStamp::of(output);
    m_piece = makeTempFile(QStringLiteral("BuildPiece_XXXXXX.mp4"));
    const bool copyAudio = isAacLcAudio(m_request.audioPath);
    if (!copyAudio)
        m_encodedAudio = makeTempFile(QStringLiteral("BuildAudio_XXXXXX.m4a"));
    if (!m_piece || (!copyAudio && !m_encodedAudio)) {
        endRun({BuildOutcome::Failed, QStringLiteral("The encoder's temporary files could not be created.")}, false);
        return;
    }
    const QString audio = copyAudio ? m_request.audioPath : m_encodedAudio->fileName();

    // Progress follows the audio: the first pass when it encodes the audio, else the muxing.
    const QSize size = m_request.videoSize;
    const bool pieceDone = runEncoderPass(
        mp4PieceArguments(picture, size.width(), size.height(), m_piece->fileName(), m_request.audioPath,
                          copyAudio ? QString() : audio, m_request.audioReadLimit),
        m_piece->fileName(), !copyAudio);
    if (!pieceDone)
        return;
    m_pictureCopy.reset();
    // Only the song itself is bounded; an audio track we encoded is read whole.
    const qint64 muxLimit = copyAudio ? m_request.audioReadLimit : -1;
    if (!runEncoderPass(mp4MuxArguments(m_piece->fileName(), audio, m_request.audioDuration, output, muxLimit), output,
                        copyAudio))
        return;
    m_piece.reset();
    m_encodedAudio.reset();

    const QString fault = checkWrittenMp4();
    if (m_cancelRequested) {
        endRun({BuildOutcome::Canceled, {}}, true);
    } else if (!fault.isEmpty()) {
        endRun({BuildOutcome::Failed, QStringLiteral("The video was written, but it failed its check:\n\n   %1").arg(fault)},
               !FileStamp::of(output).sameAs(before));
    } else {
        endRun({BuildOutcome::Done, {}}, true);
    }
}

bool VideoBuildJob::runEncoderPass(const QStringList &arguments, const QString &outputPath, bool countsProgress)
{
    const QString &output = m_request.outputPath;
    const FileStamp before = FileStamp::of(output);
    ToolRun run(m_request.encoderPath, arguments);
    run.setLineHandler([this](const QString &line) { statusLine(line); });
    if (m_cancelRequested)
        run.cancel();
    m_countsProgress = countsProgress;
    // The program is ending on a signal: the encoder goes with it, and what this pass wrote.
    const QMetaObject::Connection ending = connect(&TerminationSignals::instance(), &TerminationSignals::received,
                                                   this, [&run, &outputPath] {
                                                       run.stopNow();
                                                       QFile::remove(outputPath);
                                                   });
    m_run = &run;
    const ToolResult result = run.exec();
    m_run = nullptr;
    disconnect(ending);
    m_countsProgress = true;

    const BuildVerdict verdict = judgeEncoderRun(result, output, isNonEmptyFile(outputPath));
    if (verdict.outcome == BuildOutcome::Done)
        return true;
    endRun(verdict, !FileStamp::of(output).sameAs(before));
    return false;
}

QString VideoBuildJob::checkWrittenMp4()
{
    const QString path = m_request.outputPath;
    const Mp4Expectation expected{m_request.videoSize, m_request.audioDuration};
    QString fault;
    std::unique_ptr<QThread> checker(QThread::create([&fault, path, expected] { fault = checkMp4File(path, expected); }));
    QEventLoop loop;
    connect(checker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    checker->start();
    loop.exec();
    checker->wait();
    return fault;
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
