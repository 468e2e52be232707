#include "FileHelpers.h"

#include <QTest>

namespace TestSupport {

void writeFile(const QString &path, const QByteArray &data, QFile::Permissions perms)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
    file.close();
    if (perms)
        file.setPermissions(perms);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace TestSupport
