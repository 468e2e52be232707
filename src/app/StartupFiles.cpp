#include "app/StartupFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

// The absolute local path an argument names, or empty with *why set when it names no file of
// this computer.
QString localPath(const QString &argument, QString *why)
{
    // A file of this name wins over reading it as an address ("file:a.jpg" may be a file's name).
    if (!QFileInfo::exists(argument)) {
        const QUrl url(argument);
        if (url.isValid() && url.scheme() == QLatin1String("file")) {
            const QString host = url.host();
            if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) {
                *why = QStringLiteral("It is on another computer: %1.").arg(host);
                return {};
            }
            const QString path = url.path(QUrl::FullyDecoded);
            if (path.isEmpty()) {
                *why = QStringLiteral("It names no file.");
                return {};
            }
            // "file:song.mp3" is taken relative to the working folder, as a plain name is.
            return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        }
        if (url.isValid() && url.scheme().size() > 1 && argument.contains(QLatin1String("://"))) {
            *why = QStringLiteral("It is not a file of this computer.");
            return {};
        }
    }
    return QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
}

} // namespace

StartupFiles StartupFiles::fromArguments(const QStringList &arguments)
{
    StartupFiles files;
    const auto leftOut = [&files](const QString &path) {
        return path == files.picture.path || path == files.audio.path
            || std::any_of(files.notOpened.cbegin(), files.notOpened.cend(),
                           [&path](const NotOpened &file) { return file.path == path; });
    };
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        QString why;
        const QString path = localPath(argument, &why);
        if (path.isEmpty()) {
            if (!leftOut(argument))
                files.notOpened.append({argument, why});
            continue;
        }
        const FileClassification file = classifyFile(path);
        if (files.picture.path.isEmpty() && file.kind == FileClassification::Kind::Picture) {
            files.picture = file;
        } else if (files.audio.path.isEmpty() && file.kind == FileClassification::Kind::Song) {
            files.audio = file;
        } else if (!leftOut(file.path)) {
            if (file.kind == FileClassification::Kind::Picture)
                why = QStringLiteral("Another Picture File was opened first.");
            else if (file.kind == FileClassification::Kind::Song)
                why = QStringLiteral("Another Audio File was opened first.");
            else
                why = notOpenableReason(file);
            files.notOpened.append({file.path, why});
        }
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
    for (const NotOpened &file : notOpened.mid(0, Shown))
        lines << QStringLiteral("   %1:  %2").arg(file.path, file.reason);
    if (notOpened.size() > Shown)
        lines << QStringLiteral("   ... and %1 more").arg(notOpened.size() - Shown);
    return QStringLiteral("These files were not opened:\n\n%1\n\n"
                          "Velmora opens one Picture File and one Audio File at a time, and only "
                          "files it can read as a picture or a song.")
        .arg(lines.join(QLatin1Char('\n')));
}
