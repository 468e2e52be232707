#include "model/PicturePreparation.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "media/FontCoverage.h"
#include "media/PictureFile.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"
#include "model/PlacementTable.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

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
    request.background = settings.backgroundColor;
    request.toolPath = settings.imageToolPath;
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

QString imageToolTimedOutText(const QString &toolPath, int timeoutMs)
{
    return QStringLiteral("The image tool did not finish within %1 seconds and was stopped:\n\n   %2")
        .arg((timeoutMs + 999) / 1000)
        .arg(toolPath);
}

QString imageToolOutput(const QString &absolutePath)
{
    return QStringLiteral("bmp:") + imageToolFileName(absolutePath);
}

QString escapeCaptionText(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    escaped.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    if (escaped.startsWith(QLatin1Char('@')))
        escaped.prepend(QLatin1Char('\\'));
    return escaped;
}

QStringList letterboxArguments(const QString &input, int width, int height, quint32 background,
                               const QString &output)
{
    // Upright first, as the preview shows it: phone photos are stored sideways with a tag.
    return toolArguments(
        R"("%1" -auto-orient -scale %2x%3 -thumbnail %2x%3 -background %4 -gravity center -extent %2x%3 -alpha off "%5")",
        {input, QString::number(width), QString::number(height), hexColor(background), output});
}

QStringList captionArguments(const QString &input, const CaptionSettings &settings,
                             const Placement &placement, const QString &output)
{
    const QString text = escapeCaptionText(settings.text);
    const int sx = placement.xSign;
    const int sy = placement.ySign;
    // The tool has no per-character fallback as the dialog's text box has: characters the chosen
    // font lacks would come out blank, so another listed font that has them all draws the caption.
    QStringList arguments = toolArguments(R"("%1" -font %2 -pointsize %3 -gravity %4)",
                                          {input, captionFont(settings.fontName, settings.text),
                                           QString::number(settings.pointSize), placement.gravity});
    // The shadow first, so the text is drawn over it.
    if (settings.shadowOn) {
        arguments += toolArguments(
            R"(-fill %1 -annotate %2%3 "%4")",
            {hexColor(settings.shadowColor),
             signedNumber(sx * (settings.xPosition + settings.shadowXOffset)),
             signedNumber(sy * (settings.yPosition + settings.shadowYOffset)), text});
    }
    arguments += toolArguments(R"(-fill %1 -annotate %2%3 "%4" -alpha off "%5")",
                               {hexColor(settings.textColor),
                                signedNumber(sx * settings.xPosition),
                                signedNumber(sy * settings.yPosition), text, output});
    return arguments;
}

QStringList blankCanvasArguments(int width, int height, quint32 background, const QString &output)
{
    return toolArguments(R"(-size %1x%2 "canvas:%3" -alpha off "%4")",
                         {QString::number(width), QString::number(height), hexColor(background), output});
}

QString refusedPictureMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("This Picture can not be used:\n\n   %1\n\n%2\n\nPlease choose another Picture, thanks.")
        .arg(path, reason);
}

bool imageToolRunFailed(const ToolResult &result, bool outputWritten)
{
    // Where the Ghostscript fonts are installed an unknown font is only a warning and the text
    // comes out in another font; without them it is an error. Either way the caption is not
    // what the user chose.
    return result.status != ToolResult::Status::Finished || result.exitCode != 0 || !outputWritten
        || result.output.contains(QLatin1String("@ error/"))
        || result.output.contains(QLatin1String("unable to read font"))
        || result.output.contains(QLatin1String("Premature end of JPEG file"));
}
