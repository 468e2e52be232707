#include "model/ImageToolArguments.h"

#include "media/PictureFile.h"
#include "model/CaptionSettings.h"
#include "model/PlacementTable.h"
#include "tools/ToolArguments.h"
#include "tools/ToolRunner.h"

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
    QStringList arguments = toolArguments(R"("%1" -font %2 -pointsize %3 -gravity %4)",
                                          {input, settings.fontName,
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

QStringList layeredCaptionArguments(const QString &input, const CaptionSettings &settings,
                                    const Placement &placement, const QString &textLayer,
                                    const QString &shadowLayer, int margin, const QString &output)
{
    const int column = placement.column();
    const int row = placement.row();
    // The layers carry a margin around the caption's box; the box itself goes where the
    // placement puts it, so the margin comes off an offset counted from an edge.
    const auto offsets = [&](int x, int y) {
        return signedNumber(placement.xSign * x - (column == 1 ? 0 : margin))
            + signedNumber(placement.ySign * y - (row == 1 ? 0 : margin));
    };
    QStringList arguments = toolArguments(R"("%1" -gravity %2)", {input, placement.gravity});
    if (settings.shadowOn) {
        arguments += toolArguments(R"("%1" -geometry %2 -composite)",
                                   {shadowLayer, offsets(settings.xPosition + settings.shadowXOffset,
                                                         settings.yPosition + settings.shadowYOffset)});
    }
    arguments += toolArguments(R"("%1" -geometry %2 -composite -alpha off "%3")",
                               {textLayer, offsets(settings.xPosition, settings.yPosition), output});
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
