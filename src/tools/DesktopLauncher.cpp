#include "tools/DesktopLauncher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

DesktopLauncher *&installed()
{
    static DesktopLauncher *launcher = nullptr;
    return launcher;
}

} // namespace

bool DesktopLauncher::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

void DesktopLauncher::showItems(const QStringList &fileUrls, std::function<void(bool)> done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << fileUrls << QString();
    // A file manager that is started on demand may take a while: never wait for it on the UI thread.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [done = std::move(done)](QDBusPendingCallWatcher *self) {
                         self->deleteLater();
                         done(!self->isError());
                     });
}

DesktopLauncher &DesktopLauncher::instance()
{
    static DesktopLauncher real;
    return installed() ? *installed() : real;
}

void DesktopLauncher::setInstance(DesktopLauncher *launcher)
{
    installed() = launcher;
}

void locateFileInFileManager(const QString &filePath)
{
    const QFileInfo info(filePath);
    const QUrl file = QUrl::fromLocalFile(info.absoluteFilePath());
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    DesktopLauncher::instance().showItems({QString::fromLatin1(file.toEncoded())}, [folder](bool accepted) {
        if (!accepted)
            DesktopLauncher::instance().openUrl(folder);
    });
}
