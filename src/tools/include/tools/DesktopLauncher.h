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

    // Hands the page or file to xdg-open. The call does not block: `done`, when given, learns from
    // xdg-open's exit status whether the desktop opened it (false when xdg-open is missing).
    virtual void openUrl(const QUrl &url, std::function<void(bool opened)> done = {});
    virtual bool startDetached(const QString &program, const QStringList &arguments);
    // Asks the desktop's file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to show
    // the items selected. The call does not block: `done` learns whether the file manager took it.
    virtual void showItems(const QStringList &fileUrls, std::function<void(bool accepted)> done);

    static DesktopLauncher &instance();
    // nullptr puts the real launcher back. The caller keeps ownership.
    static void setInstance(DesktopLauncher *launcher);
};

// Shows the file selected in the file manager, or opens its folder where no file manager answers;
// `done` learns whether either worked.
void locateFileInFileManager(const QString &filePath, std::function<void(bool shown)> done = {});
