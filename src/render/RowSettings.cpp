#include "render/RowSettings.h"

#include "model/CaptionSettings.h"
#include "render/RenderValues.h"

QJsonObject RowSettings::settingsJson() const
{
    QJsonObject json{
        {QStringLiteral("size"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height())},
        {QStringLiteral("format"), format},
        {QStringLiteral("background"), RenderValues::colorName(background)},
        {QStringLiteral("caption"), caption},
        {QStringLiteral("captionFromTags"), captionFromTags},
    };
    if (!caption.isEmpty() || captionFromTags) {
        json.insert(QStringLiteral("font"), font);
        json.insert(QStringLiteral("pointSize"), pointSize);
        json.insert(QStringLiteral("color"), RenderValues::colorName(color));
        json.insert(QStringLiteral("placement"), RenderValues::placementNames().value(placement));
        json.insert(QStringLiteral("shadow"), shadowOn ? RenderValues::colorName(shadowColor) : QStringLiteral("none"));
        json.insert(QStringLiteral("shadowOffset"), QStringLiteral("%1,%2").arg(shadowOffset.x()).arg(shadowOffset.y()));
    }
    return json;
}

std::optional<CaptionSettings> RowSettings::captionSettings(const QString &text, const QString &fontName) const
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    CaptionSettings settings;
    settings.textOn = true;
    settings.text = text;
    settings.fontName = fontName;
    settings.pointSize = pointSize;
    settings.textColor = color;
    settings.placement = placement;
    settings.shadowOn = shadowOn;
    settings.shadowColor = shadowColor;
    settings.shadowXOffset = shadowOffset.x();
    settings.shadowYOffset = shadowOffset.y();
    return settings;
}
