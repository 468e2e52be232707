#include "model/CaptionSettings.h"

bool CaptionSettings::operator==(const CaptionSettings &other) const
{
    return fontName == other.fontName && pointSize == other.pointSize
        && textColor == other.textColor && text == other.text
        && xPosition == other.xPosition && yPosition == other.yPosition
        && placement == other.placement && shadowOn == other.shadowOn
        && shadowColor == other.shadowColor && shadowXOffset == other.shadowXOffset
        && shadowYOffset == other.shadowYOffset;
}

CaptionProblem checkCaptionSettings(const CaptionSettings &settings)
{
    // The stored text keeps its blanks; trimming only decides whether there is any text.
    if (settings.text.trimmed().isEmpty())
        return CaptionProblem::NoText;
    if (settings.shadowXOffset == 0 && settings.shadowYOffset == 0)
        return CaptionProblem::ShadowOffsetZero;
    return CaptionProblem::None;
}

QString captionProblemMessage(CaptionProblem problem)
{
    switch (problem) {
    case CaptionProblem::None:
        break;
    case CaptionProblem::NoText:
        return QStringLiteral("Please supply some text, thanks.");
    case CaptionProblem::ShadowOffsetZero:
        return QStringLiteral(
            "The Shadow offset needs to be something other than 0, so it can be seen, thanks.");
    }
    return {};
}

QString placementLabel(int placement)
{
    static const char *const labels[] = {
        "Top Left",    "Top Center",    "Top Right",
        "Middle Left", "Middle Center", "Middle Right",
        "Bottom Left", "Bottom Center", "Bottom Right",
    };
    if (placement < 0 || placement > 8)
        return {};
    return QString::fromLatin1(labels[placement]);
}
