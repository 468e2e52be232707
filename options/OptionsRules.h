#pragma once

#include <QString>
#include <QStringList>

// The options dialog's checks, without the dialog.
namespace OptionsRules {

// A typed folder as it is stored: blanks around it removed.
QString NormalizeFolder(const QString &typed);
// True when the folder can be stored: absolute, existing, and free of control characters (a line
// break would write a second key into the INI file).
bool IsUsableFolder(const QString &folder);
// Index (0 picture, 1 audio, 2 destination) of the first folder that cannot be stored, or -1.
int FirstBadFolder(const QStringList &folders);
QString NotFoundMessage(int index);

} // namespace OptionsRules
