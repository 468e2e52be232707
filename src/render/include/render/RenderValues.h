#pragma once

#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

// The values a command line or a manifest cell may hold, read strictly: each reader returns false
// with *why set to a sentence naming what it expected.
namespace RenderValues {

// "WxH", one of the program's video sizes.
bool parseSize(const QString &text, QSize *size, QString *why);
// "webm", "mpg" or "mp4", without a dot, in any case.
bool parseFormat(const QString &text, QString *format, QString *why);
// "RRGGBB", hexadecimal, with or without a leading "#".
bool parseColor(const QString &text, QRgb *color, QString *why);
// A shadow color, or "none" for no shadow.
bool parseShadow(const QString &text, bool *on, QRgb *color, QString *why);
// "top-left" ... "bottom-right", "center"; 0..8 row by row from the top left.
bool parsePlacement(const QString &text, int *placement, QString *why);
// "X,Y": whole pixels within -MaxShadowOffset..MaxShadowOffset, not both 0 (the caption dialog's rule).
bool parseShadowOffset(const QString &text, QPoint *offset, QString *why);
// A whole number of points within MinPointSize..MaxPointSize.
bool parsePointSize(const QString &text, int *pointSize, QString *why);
// A positive whole number no larger than `maximum`.
bool parseCount(const QString &text, int maximum, int *count, QString *why);

constexpr int MinPointSize = 1;
constexpr int MaxPointSize = 400;
constexpr int MaxShadowOffset = 200;

// The placements' names, in the order of their numbers.
QStringList placementNames();
// "1280x720, 854x480, ..." in the table's order.
QString sizeList();
// The "#RRGGBB" form reports use.
QString colorName(QRgb color);

// A song's base name made safe as a file name: letters, digits, ".", "-" and "_" kept, every other
// run of characters one "_", no leading "."; "video" when nothing is left.
QString safeId(const QString &text);
// False with *why set when the text can not name an output file in the folder.
bool checkId(const QString &text, QString *why);

} // namespace RenderValues
