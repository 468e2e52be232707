#include "media/FontCoverage.h"

#include "media/FontList.h"

#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QRawFont>

#include <algorithm>

namespace {

// Coverage does not depend on the size; any will do.
constexpr qreal CheckPixelSize = 12;

bool needsGlyph(char32_t c)
{
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF))  // variation selectors
        return false;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return false;
    default:
        return true;
    }
}

struct FontStyle
{
    bool bold = false;
    bool italic = false;
    bool operator==(const FontStyle &other) const { return bold == other.bold && italic == other.italic; }
};

FontStyle styleOf(const QString &name)
{
    return {name.contains(QLatin1String("bold"), Qt::CaseInsensitive),
            name.contains(QLatin1String("italic"), Qt::CaseInsensitive)
                || name.contains(QLatin1String("oblique"), Qt::CaseInsensitive)};
}

} // namespace

QList<char32_t> charactersNeedingGlyphs(const QString &text)
{
    QList<char32_t> characters;
    for (const char32_t c : text.toUcs4()) {
        if (needsGlyph(c) && !characters.contains(c))
            characters.append(c);
    }
    return characters;
}

FontCoverage fontFileCoverage(const QString &glyphFile, const QString &text)
{
    // The live preview checks on every key press: a font file is read once, not each time.
    // Fonts are only read under a GUI application; without one nothing can be told.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return FontCoverage::Unreadable;
    static QMutex mutex;
    static QHash<QString, QRawFont> fonts;
    const QMutexLocker locker(&mutex);
    auto it = fonts.find(glyphFile);
    if (it == fonts.end())
        it = fonts.insert(glyphFile, QRawFont(glyphFile, CheckPixelSize));
    if (!it->isValid())
        return FontCoverage::Unreadable;
    const QList<char32_t> characters = charactersNeedingGlyphs(text);
    const bool full = std::all_of(characters.cbegin(), characters.cend(),
                                  [&](char32_t c) { return it->supportsCharacter(uint(c)); });
    return full ? FontCoverage::Full : FontCoverage::Partial;
}

QString captionFontFor(const QString &fontName, const QString &text, const QStringList &names,
                       const QHash<QString, QString> &glyphFiles, const FontCoverageCheck &covers)
{
    const QString ownFile = glyphFiles.value(fontName);
    if (ownFile.isEmpty() || charactersNeedingGlyphs(text).isEmpty()
        || covers(ownFile, text) != FontCoverage::Partial)
        return fontName;
    const FontStyle style = styleOf(fontName);
    QString firstCovering;
    for (const QString &name : names) {
        const QString file = glyphFiles.value(name);
        if (name == fontName || file.isEmpty() || file == ownFile)
            continue;
        // Known not to help: checking it would only cost a file load.
        if (!firstCovering.isEmpty() && !(styleOf(name) == style))
            continue;
        if (covers(file, text) != FontCoverage::Full)
            continue;
        if (styleOf(name) == style)
            return name;
        if (firstCovering.isEmpty())
            firstCovering = name;
    }
    return firstCovering.isEmpty() ? fontName : firstCovering;
}

QString captionFont(const QString &fontName, const QString &text)
{
    return captionFontFor(fontName, text, fontNameList(), fontGlyphFiles(), fontFileCoverage);
}
