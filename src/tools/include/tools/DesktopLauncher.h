#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QUrl;

// How the program hands work to the desktop: web pages, detached programs and the file manager.
// Tests install a launcher of their own to see what would be opened without opening it.
class DesktopLauncher
{
public:
    virtual ~DesktopLauncher() = default;

    virtual bool openUrl(const QUrl &url);
    virtual bool startDetached(const QString &program, const QStringList &arguments);
    // Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to show
    // the items selected. The call does not block: `done` learns whether the file manager took it.
    virtual void showItems(const QStringList &fileUrls, std::function<void(bool accepted)> done);

    static DesktopLauncher &instance();
    // nullptr puts the real launcher back. The caller keeps ownership.
    static void setInstance(DesktopLauncher *launcher);
};

// Shows the file selected in the file manager, or opens its folder where no file manager answers.
void locateFileInFileManager(const QString &filePath);
