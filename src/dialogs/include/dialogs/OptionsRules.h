#pragma once

#include <QString>
#include <QStringList>

// The options dialog's checks, without the dialog.
namespace OptionsRules {

// A typed folder as it is stored: blanks around it removed.
QString normalizeFolder(const QString &typed);
// True when the folder can be stored: absolute, existing, and free of control characters (a line
// break would write a second key into the INI file).
bool isUsableFolder(const QString &folder);
// Index (0 picture, 1 audio, 2 destination) of the first folder that cannot be stored, or -1.
int firstBadFolder(const QStringList &folders);
QString notFoundMessage(int index);

} // namespace OptionsRules
