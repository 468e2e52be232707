#include "dialogs/OptionsRules.h"

#include "base/Paths.h"

namespace OptionsRules {

QString normalizeFolder(const QString &typed)
{
    return typed.trimmed();
}

bool isUsableFolder(const QString &folder)
{
    if (folder.isEmpty() || !isAbsolutePath(folder))
        return false;
    for (const QChar c : folder) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return isDirectory(folder);
}

int firstBadFolder(const QStringList &folders)
{
    for (int i = 0; i < folders.size(); ++i) {
        if (!isUsableFolder(folders.at(i)))
            return i;
    }
    return -1;
}

QString notFoundMessage(int index)
{
    static const char *names[] = {"Picture File", "Audio File", "Destination File"};
    if (index < 0 || index > 2)
        return {};
    return QStringLiteral("The chosen %1 path was not found.\n\nPlease pick a directory that is on a physical hard drive, thanks.")
        .arg(QLatin1String(names[index]));
}

} // namespace OptionsRules
