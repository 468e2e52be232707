#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Whether the font in a file has a glyph for every code point a text needs drawn.
using FontCoverageCheck = std::function<bool(const QString &glyphFile, const QString &text)>;

// The code points of text that need a glyph, each once, in order of first use: spaces, line
// breaks and other controls, format characters (zero-width joiners, direction marks) and
// variation selectors are left out, as a font draws them as nothing or only shapes its neighbours.
QList<char32_t> charactersNeedingGlyphs(const QString &text);

// True when the font in glyphFile has a glyph for every character of text that needs one; false
// too when the file cannot be read as a font. Each file is loaded once and kept.
bool fontFileCoversText(const QString &glyphFile, const QString &text);

// The font a caption is drawn in: fontName when its file covers text, else the first of names
// that does and has the same weight and slant (bold, italic/oblique in the name), else the first
// that does at all. fontName also when none does, or when its file is unknown, as there is
// nothing better to draw with or no way to tell.
QString captionFontFor(const QString &fontName, const QString &text, const QStringList &names,
                       const QHash<QString, QString> &glyphFiles, const FontCoverageCheck &covers);

// captionFontFor over the image tool's font list, checking the real files.
QString captionFont(const QString &fontName, const QString &text);
