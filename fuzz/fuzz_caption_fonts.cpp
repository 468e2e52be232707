// The caption's font per character over a made-up font list. The first byte gives the number of
// fonts (1..8) and the chosen one; then each font takes two bytes: its style (bold, italic,
// unreadable) and which characters it has (one bit of eight, by the character's value). The rest
// is the caption, as UTF-8. The plan covers the text in order; each character that needs a glyph
// is in a font that has it, in the chosen font when that has it, in a font of the chosen style
// when one has it, and is missing only when no font has it.
#include "FuzzInput.h"

#include "media/FontCoverage.h"

#include <algorithm>

namespace {

struct FakeFont
{
    QString name;
    QString file;
    bool unreadable = false;
    uint8_t characters = 0;
};

bool fontHas(const FakeFont &font, char32_t c)
{
    return !font.unreadable && (font.characters >> (c % 8)) & 1;
}

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int count = (data[0] & 7) + 1;
    const int chosen = (data[0] >> 3) % count;
    if (size < size_t(1 + 2 * count))
        return 0;
    QList<FakeFont> fonts;
    QStringList names;
    QHash<QString, QString> files;
    for (int i = 0; i < count; ++i) {
        const uint8_t style = data[1 + 2 * i];
        FakeFont font;
        font.name = QStringLiteral("Font%1").arg(i);
        if (style & 1)
            font.name += QStringLiteral("-Bold");
        if (style & 2)
            font.name += QStringLiteral("-Italic");
        font.unreadable = style & 4;
        font.characters = data[2 + 2 * i];
        font.file = QStringLiteral("/fonts/%1.ttf").arg(i);
        names.append(font.name);
        files.insert(font.name, font.file);
        fonts.append(font);
    }
    const QString text = QString::fromUtf8(fuzzBytes(data + 1 + 2 * count, size - 1 - 2 * count));
    const auto fontNamed = [&](const QString &name) {
        return *std::find_if(fonts.cbegin(), fonts.cend(), [&](const FakeFont &f) { return f.name == name; });
    };
    const FontCoverageCheck covers = [&](const QString &file, const QString &needed) {
        const FakeFont &font = *std::find_if(fonts.cbegin(), fonts.cend(), [&](const FakeFont &f) { return f.file == file; });
        if (font.unreadable)
            return FontCoverage::Unreadable;
        const QList<char32_t> characters = charactersNeedingGlyphs(needed);
        return std::all_of(characters.cbegin(), characters.cend(), [&](char32_t c) { return fontHas(font, c); })
            ? FontCoverage::Full
            : FontCoverage::Partial;
    };

    const FakeFont &own = fonts.at(chosen);
    const CaptionFontPlan plan = captionFontPlanFor(own.name, text, names, files, covers);
    int position = 0;
    for (const CaptionFontRun &run : plan.runs) {
        if (run.start != position || (run.length <= 0 && !text.isEmpty()) || !names.contains(run.fontName))
            std::abort();
        position += run.length;
    }
    if (position != text.size() || plan.runs.isEmpty())
        std::abort();
    if (plan.unknownFont || (own.unreadable && plan.runs.size() != 1))
        return 0;

    const QList<char32_t> needed = charactersNeedingGlyphs(text);
    const auto styleOf = [](const QString &name) { return std::make_pair(name.contains("Bold"), name.contains("Italic")); };
    for (const CaptionFontRun &run : plan.runs) {
        const FakeFont &font = fontNamed(run.fontName);
        for (const char32_t c : text.mid(run.start, run.length).toUcs4()) {
            if (!needed.contains(c))
                continue;
            const bool anyHas = std::any_of(fonts.cbegin(), fonts.cend(), [&](const FakeFont &f) { return fontHas(f, c); });
            if (plan.missing.contains(c) == anyHas)
                std::abort();
            if (!anyHas) {
                if (font.name != own.name)
                    std::abort();
                continue;
            }
            if (!fontHas(font, c))
                std::abort();
            if (isMark(c))
                continue;
            if (fontHas(own, c) && font.name != own.name)
                std::abort();
            const bool sameStyleHas = std::any_of(fonts.cbegin(), fonts.cend(), [&](const FakeFont &f) {
                return styleOf(f.name) == styleOf(own.name) && fontHas(f, c);
            });
            if (sameStyleHas && styleOf(font.name) != styleOf(own.name))
                std::abort();
        }
    }
    return 0;
}
