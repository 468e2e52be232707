#include "app/StartupFiles.h"

#include "base/Paths.h"
#include "media/OpenableFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString localPath(const QString &argument)
{
    if (argument.startsWith(QLatin1String("file:"))) {
        const QUrl url(argument);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QFileInfo(argument).absoluteFilePath();
}

} // namespace

StartupFiles StartupFiles::fromArguments(const QStringList &arguments)
{
    StartupFiles files;
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QString path = QDir::cleanPath(localPath(argument));
        if (files.picture.isEmpty() && isNonEmptyFile(path) && isOpenablePicture(path))
            files.picture = path;
        else if (files.audio.isEmpty() && isNonEmptyFile(path) && isOpenableAudio(path))
            files.audio = path;
        else if (path != files.picture && path != files.audio && !files.notOpened.contains(path))
            files.notOpened << path;
    }
    return files;
}

QString StartupFiles::notOpenedMessage() const
{
    if (notOpened.isEmpty())
        return {};
    // A whole folder's worth handed over by a file manager must not make a box taller than the
    // screen: the first few, then how many more.
    constexpr int Shown = 10;
    QStringList lines;
    for (const QString &path : notOpened.mid(0, Shown))
        lines << QStringLiteral("   ") + path;
    if (notOpened.size() > Shown)
        lines << QStringLiteral("   ... and %1 more").arg(notOpened.size() - Shown);
    return QStringLiteral("These files were not opened:\n\n%1\n\n"
                          "Velmora opens one Picture File and one Audio File at a time, and only "
                          "files it can read as a picture or a song.")
        .arg(lines.join(QLatin1Char('\n')));
}
