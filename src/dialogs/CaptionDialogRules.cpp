#include "dialogs/CaptionDialogRules.h"

namespace CaptionDialogRules {

int findFontIndex(const QStringList &fonts, const QString &name)
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < fonts.size(); ++i) {
        if (fonts.at(i).startsWith(name, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int fallbackFontIndex(const QStringList &fonts)
{
    if (fonts.isEmpty())
        return -1;
    for (const char *preferred : {"DejaVu-Sans-Bold", "Liberation-Sans-Bold"}) {
        const int index = fonts.indexOf(QLatin1String(preferred));
        if (index >= 0)
            return index;
    }
    for (const char *part : {"Sans-Bold", "Bold"}) {
        for (int i = 0; i < fonts.size(); ++i) {
            const QString &font = fonts.at(i);
            // Italic and oblique faces are a poor stand-in for an upright black face.
            if (font.contains(QLatin1String(part), Qt::CaseInsensitive)
                && !font.contains(QLatin1String("Italic"), Qt::CaseInsensitive)
                && !font.contains(QLatin1String("Oblique"), Qt::CaseInsensitive))
                return i;
        }
    }
    return 0;
}

int fontIndexFor(const QStringList &fonts, const QString &name)
{
    const int index = findFontIndex(fonts, name);
    return index >= 0 ? index : fallbackFontIndex(fonts);
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
