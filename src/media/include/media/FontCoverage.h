#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

enum class FontCoverage {
    Full,        // a glyph for every character that needs one
    Partial,     // some missing
    Unreadable,  // the file could not be read as a font: nothing known
};

// How far the font in a file covers a text.
using FontCoverageCheck = std::function<FontCoverage(const QString &glyphFile, const QString &text)>;

// The code points of text that need a glyph, each once, in order of first use: spaces, line
// breaks and other controls, format characters (zero-width joiners, direction marks) and
// variation selectors are left out, as a font draws them as nothing or only shapes its neighbours.
QList<char32_t> charactersNeedingGlyphs(const QString &text);

// How far the font in glyphFile covers the characters of text that need a glyph. Each file is
// loaded once and kept.
FontCoverage fontFileCoverage(const QString &glyphFile, const QString &text);

// The font a caption is drawn in: fontName when its file covers text, else the first of names
// that does and has the same weight and slant (bold, italic/oblique in the name), else the first
// that does at all. fontName also when none does, or when its file is unknown or unreadable, as
// there is nothing better to draw with or no way to tell.
QString captionFontFor(const QString &fontName, const QString &text, const QStringList &names,
                       const QHash<QString, QString> &glyphFiles, const FontCoverageCheck &covers);

// captionFontFor over the image tool's font list, checking the real files.
QString captionFont(const QString &fontName, const QString &text);
