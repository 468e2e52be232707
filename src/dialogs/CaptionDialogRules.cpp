#include "dialogs/CaptionDialogRules.h"

#include "model/CaptionFontChoice.h"

namespace CaptionDialogRules {

int findFontIndex(const QStringList &fonts, const QString &name)
{
    return CaptionFontChoice::findFontIndex(fonts, name);
}

int fallbackFontIndex(const QStringList &fonts)
{
    return CaptionFontChoice::fallbackFontIndex(fonts);
}

int fontIndexFor(const QStringList &fonts, const QString &name)
{
    return CaptionFontChoice::fontIndexFor(fonts, name);
}

QString missingCharactersMessage(const QList<char32_t> &missing)
{
    QStringList characters;
    for (const char32_t c : missing)
        characters.append(QString::fromUcs4(&c, 1));
    return QStringLiteral("These characters are in none of the Fonts, so they can not be drawn:\n\n   %1\n\n"
                          "Please remove them from the text, thanks.")
        .arg(characters.join(QLatin1Char(' ')));
}

} // namespace CaptionDialogRules
