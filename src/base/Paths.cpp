#include "base/Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

#include <cerrno>
#include <climits>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<QTemporaryDir> &runTempDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

} // namespace

TempFolderProblem openTempFolder(QString &out)
{
    std::unique_ptr<QTemporaryDir> &dir = runTempDir();
    if (dir && dir->isValid() && QFileInfo(dir->path()).isDir()) {
        out = dir->path();
        return {};
    }
    out.clear();
    QString system = QDir::tempPath();
    // QDir::tempPath() canonicalises and so comes back empty for a TMPDIR that does not exist:
    // the problem names the variable's own value instead.
    const QString named = qEnvironmentVariable("TMPDIR");
    if (system.isEmpty() && !named.isEmpty())
        system = named;
    if (system.isEmpty())
        return {TempFolderProblem::Kind::Unknown, system};
    if (!isDirectory(system))
        return {TempFolderProblem::Kind::Missing, system};
    removeStaleTempFolders(system);
    // A private folder per run: predictable names in a shared /tmp could be planted as symlinks.
    // The process id in the name tells a later run whether the folder was left behind.
    auto fresh = std::make_unique<QTemporaryDir>(
        QDir(system).filePath(QStringLiteral("velmora-%1-XXXXXX").arg(QCoreApplication::applicationPid())));
    if (!fresh->isValid())
        return {TempFolderProblem::Kind::NotWritable, system};
    dir = std::move(fresh);
    out = dir->path();
    return {};
}

bool getTempFolder(QString &out)
{
    return openTempFolder(out).isNone();
}

void removeTempFolder()
{
    std::unique_ptr<QTemporaryDir> &dir = runTempDir();
    if (dir)
        dir->remove();
    dir.reset();
}

void removeStaleTempFolders(const QString &systemTemp)
{
    static const QRegularExpression ours(QStringLiteral("^velmora-([1-9][0-9]{0,9})-[A-Za-z0-9]{6}$"));
    const QDir folder(systemTemp);
    const QStringList names = folder.entryList({QStringLiteral("velmora-*")},
                                               QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = ours.match(name);
        if (!match.hasMatch())
            continue;
        const QString path = folder.filePath(name);
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != ::getuid())
            continue;
        const qlonglong pid = match.captured(1).toLongLong();
        if (pid == QCoreApplication::applicationPid() || pid > INT_MAX)
            continue;
        // EPERM means a process of another user runs under that id: not gone.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        QDir(path).removeRecursively();
    }
}

bool makeTempFileName(const QString &prefix, QString &out)
{
    QString folder;
    if (!getTempFolder(folder)) {
        out.clear();
        return false;
    }
    // Two names asked for in the same millisecond (two preparations side by side) must differ:
    // the later one takes the next millisecond.
    static QMutex mutex;
    static QHash<QString, qint64> lastIssued;
    const QMutexLocker lock(&mutex);
    qint64 ms = QDateTime::currentMSecsSinceEpoch();
    const auto last = lastIssued.constFind(prefix);
    if (last != lastIssued.constEnd() && ms <= *last)
        ms = *last + 1;
    lastIssued.insert(prefix, ms);
    out = QStringLiteral("%1/%2%3.bmp")
              .arg(folder, prefix,
                   QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss_zzz")));
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
