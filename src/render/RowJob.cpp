#include "render/RowJob.h"

#include "base/Paths.h"
#include "media/AudioLength.h"
#include "media/FileClassification.h"
#include "media/SongTags.h"
#include "model/ImageToolArguments.h"
#include "model/PictureJob.h"
#include "model/VideoBuildJob.h"
#include "render/RenderTools.h"
#include "render/RowReport.h"
#include "render/SharedPictures.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QStorageInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool mentionsFullDisk(const QString &text)
{
    return text.contains(QLatin1String("No space left on device"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("Disk quota exceeded"), Qt::CaseInsensitive);
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

} // namespace

RowJob::RowJob(Manifest::Row row, const RowContext &context, QObject *parent)
    : QObject(parent)
    , m_row(std::move(row))
    , m_context(context)
{
}

RowJob::~RowJob()
{
    stop();
}

QString RowJob::outputPath() const
{
    return m_context.outputDir + QLatin1Char('/') + m_row.settings.id + QLatin1Char('.') + m_row.settings.format;
}

QString RowJob::reportPath() const
{
    return m_context.outputDir + QLatin1Char('/') + m_row.settings.id + QStringLiteral(".json");
}

QString RowJob::temporaryOutputPath() const
{
    return m_context.outputDir + QStringLiteral("/.velmora-render-") + m_row.settings.id + QLatin1Char('.')
        + m_row.settings.format;
}

qint64 RowJob::estimatedBytes(double seconds, QSize size, qint64 songBytes)
{
    const qint64 sound = qMax<qint64>(songBytes, qint64(seconds * 24000));
    return sound + qint64(seconds * double(size.width()) * size.height() / 6) + (1 << 20);
}

QJsonObject RowJob::inputs() const
{
    QJsonObject inputs{{QStringLiteral("song"), RowReport::fileFacts(m_row.settings.song)}};
    if (!m_row.settings.picture.isEmpty())
        inputs.insert(QStringLiteral("picture"), RowReport::fileFacts(m_row.settings.picture));
    return inputs;
}

QJsonObject RowJob::settings() const
{
    return m_row.settings.settingsJson();
}

void RowJob::lap(const char *name)
{
    const qint64 now = m_clock.elapsed();
    m_timings.insert(QLatin1String(name), double(now - m_lapStart) / 1000.0);
    m_lapStart = now;
}

void RowJob::start()
{
    m_clock.start();
    double length = 0;
    if (!m_context.force && RowReport::isUpToDate(reportPath(), outputPath(), inputs(), settings(), &length)) {
        RowOutcome outcome;
        outcome.status = RowOutcome::Status::Skipped;
        outcome.output = outputPath();
        outcome.length = length;
        QMetaObject::invokeMethod(this, [this, outcome] { finish(outcome); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(this, &RowJob::check, Qt::QueuedConnection);
}

void RowJob::check()
{
    const RowSettings &row = m_row.settings;
    if (!QFileInfo::exists(row.song)) {
        fail(QStringLiteral("The song does not exist:\n\n   %1").arg(row.song));
        return;
    }
    if (classifyFile(row.song).kind != FileClassification::Kind::Song) {
        fail(QStringLiteral("The song can not be opened as audio:\n\n   %1").arg(row.song));
        return;
    }
    if (!row.picture.isEmpty()) {
        if (!QFileInfo::exists(row.picture)) {
            fail(QStringLiteral("The picture does not exist:\n\n   %1").arg(row.picture));
            return;
        }
        const FileClassification picture = classifyFile(row.picture);
        if (picture.kind == FileClassification::Kind::Refused) {
            fail(refusedPictureMessage(row.picture, picture.refusal));
            return;
        }
        if (picture.kind != FileClassification::Kind::Picture) {
            fail(QStringLiteral("The picture can not be opened as a picture:\n\n   %1").arg(row.picture));
            return;
        }
    }

    // The song's length and cover are read off the event loop: an hour of audio takes a while.
    const QString song = row.song;
    const bool wantsInfo = row.picture.isEmpty() || (row.caption.isEmpty() && row.captionFromTags);
    QString coverFolder;
    getTempFolder(coverFolder);
    auto *watcher = new QFutureWatcher<SongFacts>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        songRead(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([song, wantsInfo, coverFolder] {
        SongFacts facts;
        const AudioLengthResult length = measureAudioLength(song);
        facts.status = length.status;
        facts.length = length.seconds;
        facts.readLimit = length.readLimit;
        if (length.status == AudioLengthResult::Measured && wantsInfo)
            facts.info = readSongInfo(song, coverFolder);
        return facts;
    }));
}

void RowJob::songRead(const SongFacts &facts)
{
    if (m_finished)
        return;
    m_coverCopy = facts.info.coverPath;
    const RowSettings &row = m_row.settings;
    if (facts.status != AudioLengthResult::Measured || !(facts.length > 0)) {
        fail(facts.status == AudioLengthResult::TimedOut
                 ? QStringLiteral("The song's length could not be measured in time:\n\n   %1").arg(row.song)
                 : QStringLiteral("The song holds no audio that can be played:\n\n   %1").arg(row.song));
        return;
    }
    m_songLength = facts.length;
    m_readLimit = facts.readLimit;

    // Room for this video beside what the rows running now will write.
    const qint64 needed = estimatedBytes(m_songLength, row.size, QFileInfo(row.song).size());
    QStorageInfo storage(m_context.outputDir);
    const qint64 reserved = m_context.reservedBytes ? *m_context.reservedBytes : 0;
    if (storage.isValid() && storage.bytesAvailable() - reserved < needed) {
        fail(QStringLiteral("There is not enough room for the video in %1: it needs about %2, %3 are free.")
                 .arg(m_context.outputDir, megabytes(needed), megabytes(qMax<qint64>(0, storage.bytesAvailable() - reserved))),
             true);
        return;
    }
    m_reserved = needed;
    if (m_context.reservedBytes)
        *m_context.reservedBytes += needed;

    m_caption = row.caption;
    if (m_caption.isEmpty() && row.captionFromTags)
        m_caption = songTagsCaption(facts.info.tags);
    lap("check");
    takePicture(row.picture.isEmpty() && !m_coverCopy.isEmpty());
}

void RowJob::takePicture(bool cover)
{
    const RowSettings &row = m_row.settings;
    PictureKey key;
    key.source = cover ? m_coverCopy : row.picture;
    key.coverOf = cover ? row.song : QString();
    key.size = row.size;
    key.background = row.background;
    key.caption = row.captionSettings(m_caption, row.font);
    m_pictureSource = !row.picture.isEmpty() ? QStringLiteral("picture")
        : cover                              ? QStringLiteral("cover")
                                             : QStringLiteral("blank canvas");
    m_entry = m_context.pictures->acquire(key, this, [this, cover](const PictureResult &result) {
        pictureReady(result, cover);
    });
}

void RowJob::pictureReady(const PictureResult &result, bool cover)
{
    if (m_finished)
        return;
    if (!result.succeeded()) {
        // As in the window: a cover that can not be used leaves the blank canvas.
        if (cover) {
            m_context.pictures->release(std::exchange(m_entry, 0));
            takePicture(false);
            return;
        }
        const QString message = pictureProblemMessage(result.problem);
        fail(message.isEmpty() ? QStringLiteral("The picture could not be prepared.") : message);
        return;
    }
    m_picturePath = result.picturePath;
    lap("picture");
    if (m_row.settings.format != QLatin1String("mp4")) {
        build(QString());
        return;
    }
    m_context.pictures->piece(m_entry, this, [this](const SharedPictures::Piece &piece) {
        if (m_finished)
            return;
        if (piece.path.isEmpty()) {
            fail(piece.problem, mentionsFullDisk(piece.problem));
            return;
        }
        m_piece = piece.made ? QStringLiteral("made") : QStringLiteral("shared");
        m_arguments.append(QJsonArray::fromStringList(QStringList{m_context.tools->encoder} + piece.arguments));
        lap("piece");
        build(piece.path);
    });
}

void RowJob::build(const QString &piecePath)
{
    const RowSettings &row = m_row.settings;
    VideoBuildRequest request;
    request.encoderPath = m_context.tools->encoder;
    request.audioPath = row.song;
    request.audioDuration = m_songLength;
    request.audioReadLimit = m_readLimit;
    request.outputPath = temporaryOutputPath();
    request.videoSize = row.size;
    // The job copies the shared picture for itself.
    request.picturePath = m_picturePath;
    m_job = new VideoBuildJob(request, this);
    m_job->setMp4Piece(piecePath);
    connect(m_job, &VideoBuildJob::passStarted, this, [this](const QStringList &arguments) {
        m_arguments.append(QJsonArray::fromStringList(QStringList{m_context.tools->encoder} + arguments));
    });
    connect(m_job, &VideoBuildJob::encoderEnded, this, &RowJob::buildEnded);
    m_job->start();
}

void RowJob::buildEnded(BuildOutcome outcome)
{
    if (m_finished)
        return;
    const QString reason = m_job ? m_job->failureReason() : QString();
    if (m_job)
        m_job->deleteLater();
    m_job = nullptr;
    switch (outcome) {
    case BuildOutcome::Done:
        break;
    case BuildOutcome::Canceled:
        fail(QStringLiteral("The video was cancelled."));
        return;
    case BuildOutcome::PermissionDenied:
        fail(QStringLiteral("The video could not be written, permission denied:\n\n   %1").arg(outputPath()));
        return;
    case BuildOutcome::Failed:
        fail(reason, mentionsFullDisk(reason));
        return;
    }
    lap("encode");
    const QString path = temporaryOutputPath();
    auto *watcher = new QFutureWatcher<RowReport::VideoFacts>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        videoChecked(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([path] { return RowReport::readVideo(path); }));
}

void RowJob::videoChecked(const RowReport::VideoFacts &facts)
{
    if (m_finished)
        return;
    const RowSettings &row = m_row.settings;
    const QString fault = RowReport::checkVideo(facts, row.size, m_songLength);
    if (!fault.isEmpty()) {
        fail(QStringLiteral("The video was written, but it failed its check:\n\n   %1").arg(fault));
        return;
    }
    lap("videoCheck");
    const QString temporary = temporaryOutputPath();
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(outputPath()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        fail(QStringLiteral("The video was written, but it could not be given its name:\n\n   %1").arg(why),
             errno == ENOSPC);
        return;
    }

    const RenderTools &tools = *m_context.tools;
    QJsonObject output = RowReport::fileFacts(outputPath());
    m_timings.insert(QStringLiteral("total"), double(m_clock.elapsed()) / 1000.0);
    const QJsonObject report{
        {QStringLiteral("id"), row.id},
        {QStringLiteral("row"), m_row.number},
        {QStringLiteral("status"), QStringLiteral("done")},
        {QStringLiteral("output"), output},
        {QStringLiteral("length"), facts.length},
        {QStringLiteral("inputs"), inputs()},
        {QStringLiteral("settings"), settings()},
        {QStringLiteral("picture"),
         QJsonObject{{QStringLiteral("source"), m_pictureSource},
                     {QStringLiteral("caption"), m_caption},
                     {QStringLiteral("piece"), m_piece.isEmpty() ? QJsonValue() : QJsonValue(m_piece)}}},
        {QStringLiteral("tools"),
         QJsonObject{{QStringLiteral("imageTool"),
                      QJsonObject{{QStringLiteral("path"), tools.imageTool}, {QStringLiteral("version"), tools.imageToolVersion}}},
                     {QStringLiteral("encoder"),
                      QJsonObject{{QStringLiteral("path"), tools.encoder}, {QStringLiteral("version"), tools.encoderVersion}}}}},
        {QStringLiteral("arguments"), m_arguments},
        {QStringLiteral("timings"), m_timings},
        {QStringLiteral("check"),
         QJsonObject{{QStringLiteral("verdict"), QStringLiteral("passed")},
                     {QStringLiteral("songLength"), m_songLength},
                     {QStringLiteral("videoLength"), facts.videoLength},
                     {QStringLiteral("audioLength"), facts.audioLength},
                     {QStringLiteral("size"), QStringLiteral("%1x%2").arg(facts.size.width()).arg(facts.size.height())},
                     {QStringLiteral("frameRate"), facts.frameRate}}},
    };
    if (!RowReport::write(reportPath(), report)) {
        fail(QStringLiteral("The video was written, but its report could not be:\n\n   %1").arg(reportPath()));
        return;
    }
    RowOutcome outcome;
    outcome.status = RowOutcome::Status::Done;
    outcome.output = outputPath();
    outcome.length = facts.length;
    finish(outcome);
}

void RowJob::fail(const QString &problem, bool diskFull)
{
    RowOutcome outcome;
    outcome.problem = problem;
    outcome.diskFull = diskFull;
    finish(outcome);
}

void RowJob::finish(RowOutcome outcome)
{
    if (m_finished)
        return;
    cleanUp();
    m_finished = true;
    outcome.seconds = double(m_clock.elapsed()) / 1000.0;
    emit finished(outcome);
}

void RowJob::cleanUp()
{
    // The encoder goes first: its run removes what it was writing.
    delete m_job.data();
    m_job = nullptr;
    QFile::remove(temporaryOutputPath());
    if (!m_coverCopy.isEmpty())
        QFile::remove(std::exchange(m_coverCopy, QString()));
    if (m_entry && m_context.pictures)
        m_context.pictures->release(std::exchange(m_entry, 0));
    if (m_reserved && m_context.reservedBytes)
        *m_context.reservedBytes -= std::exchange(m_reserved, 0);
}

void RowJob::stop()
{
    if (m_finished)
        return;
    m_finished = true;
    cleanUp();
}
