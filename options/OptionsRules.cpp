#include "options/OptionsRules.h"

#include "app/Paths.h"

namespace OptionsRules {

QString NormalizeFolder(const QString &typed)
{
    QString folder = typed.trimmed();
    AddDriveBackslash(folder);
    return folder;
}

bool IsUsableFolder(const QString &folder)
{
    if (folder.isEmpty() || !IsAbsolutePath(folder))
        return false;
    for (const QChar c : folder) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return IsDirectory(folder);
}

int FirstBadFolder(const QStringList &folders)
{
    for (int i = 0; i < folders.size(); ++i) {
        if (!IsUsableFolder(folders.at(i)))
            return i;
    }
    return -1;
}

QString NotFoundMessage(int index)
{
    static const char *names[] = {"Picture File", "Audio File", "Destination File"};
    if (index < 0 || index > 2)
        return {};
    return QStringLiteral("The chosen %1 path was not found.\n\nPlease pick a directory that is on a physical hard drive, thanks.")
        .arg(QLatin1String(names[index]));
}

} // namespace OptionsRules
