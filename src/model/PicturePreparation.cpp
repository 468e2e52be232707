#include "model/PicturePreparation.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "model/BlankCanvases.h"

#include <QFile>

namespace {

int &imageToolTimeoutMs()
{
    // A 128-megapixel picture takes the tool well under a minute; past this it hangs.
    static int ms = 120000;
    return ms;
}

void removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

QString tempName(const QString &prefix)
{
    QString path;
    makeTempFileName(prefix, path);
    return path;
}

} // namespace

PicturePreparation::PicturePreparation(const BlankCanvases &canvases, QObject *parent)
    : QObject(parent)
    , m_canvases(canvases)
    , m_resizedPath(tempName(QStringLiteral("VL_Copy_Resized_")))
    , m_withTextPath(tempName(QStringLiteral("VL_Copy_WithText_")))
{
}

PicturePreparation::~PicturePreparation()
{
    // The job first: its tool must not write a copy after it was deleted.
    delete m_job;
    removeFile(m_resizedPath);
    removeFile(m_withTextPath);
}

PictureRequest PicturePreparation::request() const
{
    const AppSettings &settings = AppSettings::instance();
    PictureRequest request;
    request.sourcePath = m_sourcePath;
    request.size = TargetSizeTable::instance().current().size();
    request.background = settings.backgroundColor();
    request.toolPath = settings.imageToolPath();
    request.blankCanvas = m_canvases.currentPath();
    request.plainPath = m_resizedPath;
    request.withTextPath = m_withTextPath;
    request.timeoutMs = imageToolTimeoutMs();
    return request;
}

void PicturePreparation::setSourcePicture(const QString &path, const CaptionSettings *captionSettings,
                                          const PictureFileInfo *info)
{
    m_sourcePath = path;
    m_state = State::Plain;
    // Neither copy belongs to this request yet.
    removeFile(m_withTextPath);
    removeFile(m_resizedPath);
    PictureRequest job = request();
    if (captionSettings && captionSettings->textOn)
        job.caption = *captionSettings;
    if (info)
        job.sourceInfo = *info;
    start(job);
}

void PicturePreparation::renderText(const CaptionSettings &captionSettings)
{
    m_state = State::Plain;
    PictureRequest job = request();
    job.letterbox = false;
    job.caption = captionSettings;
    start(job);
}

void PicturePreparation::start(const PictureRequest &request)
{
    // One request at a time: one still running is stopped and never reports.
    delete m_job;
    m_job = new PictureJob(request, this);
    connect(m_job, &PictureJob::finished, this, &PicturePreparation::jobEnded);
    m_job->start();
}

void PicturePreparation::cancel()
{
    if (m_job)
        m_job->cancel();
}

void PicturePreparation::jobEnded(const PictureResult &result)
{
    m_job->deleteLater();
    m_job = nullptr;
    if (result.caption) {
        m_withTextSettings = *result.caption;
        m_state = State::WithText;
    }
    emit finished(result);
}

QString PicturePreparation::currentPicturePath() const
{
    if (m_state == State::WithText)
        return m_withTextPath;
    return m_sourcePath.isEmpty() ? m_canvases.currentPath() : m_resizedPath;
}

void setImageToolTimeout(int milliseconds)
{
    imageToolTimeoutMs() = milliseconds;
}

int imageToolTimeout()
{
    return imageToolTimeoutMs();
}
