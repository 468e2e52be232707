#include "dialogs/UserGuide.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString IndexName = QStringLiteral("index.html");

} // namespace

QStringList UserGuide::candidateFolders(const QString &programFolder)
{
    QStringList folders{
        QDir::cleanPath(programFolder + QStringLiteral("/../share/velmora/guide")),
        QDir::cleanPath(programFolder + QStringLiteral("/guide")),
    };
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir::cleanPath(data + QStringLiteral("/velmora/guide"));
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QString UserGuide::indexFile(const QString &programFolder)
{
    for (const QString &folder : candidateFolders(programFolder)) {
        const QFileInfo index(folder + QLatin1Char('/') + IndexName);
        if (index.isFile() && index.isReadable())
            return index.absoluteFilePath();
    }
    return {};
}

QUrl UserGuide::sectionUrl(const QString &indexFile, Section section)
{
    QUrl url = QUrl::fromLocalFile(indexFile);
    switch (section) {
    case Section::Contents:
        break;
    case Section::Walkthrough:
        url.setFragment(QStringLiteral("walkthrough"));
        break;
    case Section::Troubleshooting:
        url.setFragment(QStringLiteral("troubleshooting"));
        break;
    }
    return url;
}

QString UserGuide::missingMessage(const QString &programFolder)
{
    return QStringLiteral("The User Guide could not be found. It is installed with Velmora, in:\n\n   %1\n\n"
                          "Please reinstall Velmora, thanks.")
        .arg(candidateFolders(programFolder).first());
}
