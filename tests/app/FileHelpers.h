#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace TestSupport {

// Writes `data` to `path` (a failed open fails the running test), then sets `perms` if given.
void writeFile(const QString &path, const QByteArray &data, QFile::Permissions perms = {});
// The whole file, or nothing when it cannot be read.
QByteArray readFile(const QString &path);

} // namespace TestSupport
