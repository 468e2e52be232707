#pragma once

#include <QString>
#include <QStringList>

// Turns an argument template written as a command line into an argument vector: the template is
// split first (blanks separate, double quotes group, \" is a quote), then %1..%9 are filled in each
// argument. Values are never split or re-read, so blanks, quotes, "%" or a leading "-" in a file
// or font name stay inside their own argument.
//
//   toolArguments(R"(-size %1x%2 "canvas:#%3" "%4")", {w, h, color, path})
QStringList toolArguments(const QString &commandLineTemplate, const QStringList &values);

// "#rrggbb" of a 0xRRGGBB value (bits above 23 dropped).
QString hexColor(quint32 rgb);
// "%+d": always with a sign.
QString signedNumber(int value);
