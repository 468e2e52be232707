#include "base/Paths.h"

#include "base/MessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> &runTempDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

} // namespace

bool getTempFolder(QString &out)
{
    std::unique_ptr<QTemporaryDir> &dir = runTempDir();
    if (dir && dir->isValid() && QFileInfo(dir->path()).isDir()) {
        out = dir->path();
        return true;
    }
    out.clear();
    QString system = QDir::tempPath();
    // QDir::tempPath() canonicalises and so comes back empty for a TMPDIR that does not exist:
    // the message names the variable's own value instead.
    const QString named = qEnvironmentVariable("TMPDIR");
    if (system.isEmpty() && !named.isEmpty())
        system = named;
    if (system.isEmpty()) {
        MessageBox::information(nullptr, QStringLiteral("Unknown System TEMP Directory.  Sorry, can't continue."));
        return false;
    }
    if (!isDirectory(system)) {
        MessageBox::information(nullptr, QStringLiteral("The System TEMP Directory does not exist:\n\n\t%1\n\nSorry, can't continue.")
                        .arg(system));
        return false;
    }
    // A private folder per run: predictable names in a shared /tmp could be planted as symlinks.
    auto fresh = std::make_unique<QTemporaryDir>(QDir(system).filePath(QStringLiteral("velmora-XXXXXX")));
    if (!fresh->isValid()) {
        MessageBox::information(nullptr, QStringLiteral("The System TEMP Directory can not be written:\n\n\t%1\n\nSorry, can't continue.")
                        .arg(system));
        return false;
    }
    dir = std::move(fresh);
    out = dir->path();
    return true;
}

bool makeTempFileName(const QString &prefix, QString &out)
{
    QString folder;
    if (!getTempFolder(folder)) {
        out.clear();
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    out = QStringLiteral("%1/%2%3.bmp")
              .arg(folder, prefix, now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_zzz")));
    return true;
}

bool isNonEmptyFile(const QString &path)
{
    return regularFileSize(path) > 0;
}

qint64 regularFileSize(const QString &path)
{
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return 0;
    return info.size();
}

bool isDirectory(const QString &path)
{
    if (path.isEmpty())
        return false;
    QString p = path;
    if (!isDriveRoot(p) && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return QFileInfo(p).isDir();
}

bool isDriveRoot(const QString &text)
{
    return text == QLatin1String("/");
}

bool isAbsolutePath(const QString &path)
{
    return path.startsWith(QLatin1Char('/'));
}
