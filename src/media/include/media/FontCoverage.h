#pragma once

#include <QByteArray>
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

// The largest font file read: a font is a few megabytes, the biggest CJK collections some tens.
constexpr qint64 MaxFontFileBytes = 128 * 1024 * 1024;

// The code points of text that need a glyph, each once, in order of first use: spaces, line
// breaks and other controls, format characters (zero-width joiners, direction marks) and
// variation selectors are left out, as a font draws them as nothing or only shapes its neighbours.
QList<char32_t> charactersNeedingGlyphs(const QString &text);

// The bytes of a font file: a regular file of at most MaxFontFileBytes only, so that a pipe or a
// device never blocks and a huge file is never read. Empty when it is not such a file.
QByteArray readFontFile(const QString &path);

// How far the font in fontData (a font file's bytes) covers the characters of text that need a
// glyph; Unreadable when the bytes are no font. Needs a QGuiApplication.
FontCoverage fontDataCoverage(const QByteArray &fontData, const QString &text);

// How far the font in glyphFile covers the characters of text that need a glyph. Each file is
// loaded once and kept. Reads files: never on the window's thread.
FontCoverage fontFileCoverage(const QString &glyphFile, const QString &text);

// One stretch of a caption drawn in one font: text.mid(start, length) in fontName.
struct CaptionFontRun
{
    int start = 0;
    int length = 0;
    QString fontName;

    bool operator==(const CaptionFontRun &other) const
    {
        return start == other.start && length == other.length && fontName == other.fontName;
    }
};

// The fonts a caption is drawn in, character by character.
struct CaptionFontPlan
{
    // Cover the text from start to end, in order; one run in fontName for an empty text.
    QList<CaptionFontRun> runs;
    // Characters no listed font has, each once: they are drawn in the chosen font, as nothing.
    QList<char32_t> missing;
    // The chosen font's file is unknown or unreadable: there is no way to tell, it draws everything.
    bool unknownFont = false;
};

// Each character in fontName when its file has it, else in the first of names with the same
// weight and slant (bold, italic/oblique in the name) that has it, else in the first that has it
// at all; characters that need no glyph, and combining marks the run's font has, stay with the
// character before them. Names without a known file, and unreadable files, are passed by.
CaptionFontPlan captionFontPlanFor(const QString &fontName, const QString &text, const QStringList &names,
                                   const QHash<QString, QString> &glyphFiles, const FontCoverageCheck &covers);

// True when the text cannot be drawn character by character from left to right: right-to-left
// or joining scripts, combining marks, scripts whose letters change shape with their neighbours.
bool textNeedsShaping(const QString &text);
