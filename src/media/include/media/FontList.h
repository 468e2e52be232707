#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

struct ToolResult;

// How long the image tool may take to list its fonts: it reads every font file's header once.
constexpr int FontListTimeoutMs = 60000;

// The image tool's font names, in the order it lists them; filled once after start-up.
QStringList &fontNameList();

// Each listed font's file, by name, as the tool itself reads it: what a caption's coverage is
// checked against. Names the tool lists without a file are absent.
QHash<QString, QString> &fontGlyphFiles();

// The names of a "-list font" output: the text after each "Font: " up to the line's end (CR or
// LF), or to the end of the text for a last entry without one. Empty names are never taken.
// *found tells whether the output held any "Font: " at all. *glyphFiles, when given, gets each
// name's file from the "glyphs: " line of its entry.
QStringList parseFontList(const QString &output, bool *found = nullptr,
                          QHash<QString, QString> *glyphFiles = nullptr);

// Appends the fonts of a "-list font" run to fontNameList, their files to fontGlyphFiles. True
// when the run succeeded and the list then holds at least one name.
bool takeFontList(const ToolResult &result);

// Asks the image tool for its fonts, waiting (start-up checks and tests only; the window uses
// FontListQuery), and takes them as takeFontList does. Shows no message: the caller does.
bool queryFontList();
// The same with another image tool than the settings'.
bool queryFontList(const QString &toolPath);
