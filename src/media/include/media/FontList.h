#pragma once

#include <QString>
#include <QStringList>

// The image tool's font names, in the order it lists them; filled once after start-up.
QStringList &fontNameList();

// The names of a "-list font" output: the text after each "Font: " up to the line's end (CR or
// LF), or to the end of the text for a last entry without one. Empty names are never taken.
// *found tells whether the output held any "Font: " at all.
QStringList parseFontList(const QString &output, bool *found = nullptr);

// Asks the image tool for its fonts and appends them to fontNameList. True when the list then
// holds at least one name. Shows no message: the caller does.
bool queryFontList();
