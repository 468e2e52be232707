#include "app/StartupFiles.h"

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
        const FileClassification file = classifyFile(QDir::cleanPath(localPath(argument)));
        if (files.picture.path.isEmpty() && file.kind == FileClassification::Kind::Picture)
            files.picture = file;
        else if (files.audio.path.isEmpty() && file.kind == FileClassification::Kind::Song)
            files.audio = file;
        else if (file.path != files.picture.path && file.path != files.audio.path
                 && !files.notOpened.contains(file.path))
            files.notOpened << file.path;
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
