#include "model/PicturePreparation.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "media/FontCoverage.h"
#include "media/PictureFile.h"
#include "model/CaptionSettings.h"
#include "model/PlacementTable.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

PictureMessageReporter &messageReporter()
{
    static PictureMessageReporter reporter;
    return reporter;
}

void reportPictureMessage(QObject *owner, const QString &text)
{
    if (const PictureMessageReporter &reporter = messageReporter())
        reporter(owner, text);
}

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

enum class ImageRun { Done, Failed, TimedOut, Canceled };

// One run of the image tool into output. The old output goes first, so a failed run can never
// leave an earlier picture that passes for its result; a failed run's partial output goes too.
ImageRun runImageTool(const QStringList &arguments, const QString &output, int timeoutMs,
                      PicturePreparation::RunControl *control = nullptr)
{
    if (output.isEmpty())
        return ImageRun::Failed;
    removeFile(output);
    if (control && control->canceled)
        return ImageRun::Canceled;
    ToolRun run(AppSettings::instance().imageToolPath(), arguments);
    run.setTimeout(timeoutMs);
    ToolRun *outer = nullptr;
    if (control) {
        outer = control->run;
        control->run = &run;
    }
    const ToolResult result = run.exec();
    if (control)
        control->run = outer;
    if (!imageToolRunFailed(result, isNonEmptyFile(output)))
        return ImageRun::Done;
    removeFile(output);
    if (result.status == ToolResult::Status::Canceled)
        return ImageRun::Canceled;
    return result.status == ToolResult::Status::TimedOut ? ImageRun::TimedOut : ImageRun::Failed;
}

// Marks the outermost request of a preparation: its cancel and input choice start afresh.
class RequestScope
{
public:
    RequestScope(PicturePreparation::RunControl &control, int &depth)
        : m_depth(depth)
    {
        if (m_depth++ == 0) {
            control.canceled = false;
            control.inputAllowed = false;
        }
    }
    ~RequestScope() { --m_depth; }
    RequestScope(const RequestScope &) = delete;
    RequestScope &operator=(const RequestScope &) = delete;

private:
    int &m_depth;
};

void showTempImageFailure(QObject *owner, const QString &path)
{
    reportPictureMessage(owner, QStringLiteral("Could not create a Temp Image Bitmap here:\n\n   %1\n\n"
                               "Possibly a bad source image file?\n\nOr an invalid Temp directory?")
                    .arg(path));
}

// Says why a picture could not be made, unless the user stopped it.
void reportImageRun(QObject *owner, ImageRun run, const QString &path, int timeoutMs)
{
    switch (run) {
    case ImageRun::Done:
    case ImageRun::Canceled:
        break;
    case ImageRun::TimedOut:
        reportPictureMessage(owner, imageToolTimedOutText(AppSettings::instance().imageToolPath(), timeoutMs));
        break;
    case ImageRun::Failed:
        showTempImageFailure(owner, path);
        break;
    }
}

QString tempName(const QString &prefix)
{
    QString path;
    makeTempFileName(prefix, path);
    return path;
}

} // namespace

PicturePreparation::PicturePreparation()
    : m_resizedPath(tempName(QStringLiteral("VL_Copy_Resized_")))
    , m_withTextPath(tempName(QStringLiteral("VL_Copy_WithText_")))
{
}

PicturePreparation::~PicturePreparation()
{
    removeFile(m_resizedPath);
    removeFile(m_withTextPath);
}

void PicturePreparation::cancel()
{
    m_control.canceled = true;
    if (m_control.run)
        m_control.run->cancel();
}

void PicturePreparation::allowUserInput()
{
    m_control.inputAllowed = true;
}

bool PicturePreparation::setSourcePicture(QObject *owner, const QString &path,
                                          const CaptionSettings *captionSettings)
{
    const RequestScope request(m_control, m_requestDepth);
    m_sourcePath = path;
    m_state = State::Plain;
    // Neither copy belongs to this request yet.
    removeFile(m_withTextPath);
    removeFile(m_resizedPath);

    if (!m_sourcePath.isEmpty() && !resizePicture(owner, m_sourcePath, m_resizedPath))
        return false;
    if (captionSettings && captionSettings->textOn) {
        if (!renderText(owner, *captionSettings))
            return false;
        m_state = State::WithText;
    }
    return true;
}

QString PicturePreparation::currentPicturePath() const
{
    if (m_state == State::WithText)
        return m_withTextPath;
    return m_sourcePath.isEmpty() ? TargetSizeTable::instance().current().blankCanvasPath
                                  : m_resizedPath;
}

bool PicturePreparation::renderText(QObject *owner, const CaptionSettings &captionSettings)
{
    return drawCaption(owner, captionSettings, false);
}

bool PicturePreparation::renderTextLive(QObject *owner, const CaptionSettings &captionSettings)
{
    return drawCaption(owner, captionSettings, true);
}

void PicturePreparation::cancelRendering()
{
    cancel();
}

bool PicturePreparation::drawCaption(QObject *owner, const CaptionSettings &captionSettings, bool live)
{
    const QString input = m_sourcePath.isEmpty() ? TargetSizeTable::instance().current().blankCanvasPath
                                                 : m_resizedPath;
    const RequestScope request(m_control, m_requestDepth);
    // A live preview lets the user go on typing while the tool draws.
    if (live)
        m_control.inputAllowed = true;
    const Placement *placement = PlacementTable::find(captionSettings.placement);
    ImageRun ran = ImageRun::Failed;
    if (placement && isNonEmptyFile(input)) {
        ran = runImageTool(captionArguments(imageToolInput(PictureFormat::Bmp, input), captionSettings,
                                            *placement, imageToolOutput(m_withTextPath)),
                           m_withTextPath, imageToolTimeoutMs(), &m_control);
    } else {
        removeFile(m_withTextPath);
    }
    if (ran == ImageRun::Done)
        m_withTextSettings = captionSettings;
    if (m_showsFailures)
        reportImageRun(owner, ran, m_withTextPath, imageToolTimeoutMs());
    return ran == ImageRun::Done;
}

bool PicturePreparation::resizePicture(QObject *owner, const QString &source, const QString &destination)
{
    const RequestScope request(m_control, m_requestDepth);
    const TargetSize &size = TargetSizeTable::instance().current();
    removeFile(destination);
    // Checked before the tool sees it: only a regular file whose content is one of the program's
    // formats, of a size the tool accepts, and named by an absolute path.
    PictureFileInfo info;
    QString why;
    if (isAbsolutePath(source) && !readPictureInfo(source, info, &why)) {
        if (m_showsFailures)
            reportPictureMessage(owner, refusedPictureMessage(source, why));
        return false;
    }
    ImageRun ran = ImageRun::Failed;
    if (isAbsolutePath(source)) {
        // The tool expands "*", "?" and "[...]" in the last part of a name into other files of
        // that folder: it gets the picture under a plain name of our own.
        const QFileInfo output(destination);
        const QString plainName = output.absolutePath() + QStringLiteral("/VL_Source_") + output.fileName();
        removeFile(plainName);
        if (!destination.isEmpty() && QFile::link(source, plainName)) {
            ran = runImageTool(letterboxArguments(imageToolInput(info.format, plainName), size.width,
                                                  size.height, AppSettings::instance().backgroundColor(),
                                                  imageToolOutput(destination)),
                               destination, imageToolTimeoutMs(), &m_control);
        }
        removeFile(plainName);
    }
    if (m_showsFailures)
        reportImageRun(owner, ran, destination, imageToolTimeoutMs());
    return ran == ImageRun::Done;
}

void setPictureMessageReporter(PictureMessageReporter reporter)
{
    messageReporter() = std::move(reporter);
}

bool createBlankCanvases(QObject *owner, bool *imageToolHung)
{
    TargetSizeTable &table = TargetSizeTable::instance();
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        TargetSize &row = table.row(i);
        row.blankCanvasPath = tempName(QStringLiteral("VL_Blank_%1_").arg(i));
        const ImageRun ran = runImageTool(blankCanvasArguments(row.width, row.height,
                                                               AppSettings::instance().backgroundColor(),
                                                               imageToolOutput(row.blankCanvasPath)),
                                          row.blankCanvasPath, BlankCanvasTimeoutMs);
        if (ran == ImageRun::TimedOut) {
            if (imageToolHung)
                *imageToolHung = true;
            reportPictureMessage(owner, imageToolTimedOutText(AppSettings::instance().imageToolPath(),
                                                                 BlankCanvasTimeoutMs)
                                               + QStringLiteral("\n\nSorry, can't continue."));
            return false;
        }
        if (ran != ImageRun::Done) {
            reportPictureMessage(owner, QStringLiteral("Could not create a Temp Blank Image Bitmap here:\n\n   %1\n\n"
                                       "Possibly an invalid Temp directory?")
                            .arg(row.blankCanvasPath));
            return false;
        }
    }
    return true;
}

void deleteBlankCanvases()
{
    TargetSizeTable &table = TargetSizeTable::instance();
    for (int i = 0; i < TargetSizeTable::RowCount; ++i) {
        removeFile(table.row(i).blankCanvasPath);
        table.row(i).blankCanvasPath.clear();
    }
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
