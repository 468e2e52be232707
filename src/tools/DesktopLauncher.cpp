#include "tools/DesktopLauncher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
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

void DesktopLauncher::openUrl(const QUrl &url, std::function<void(bool)> done)
{
    // QDesktopServices only tells whether xdg-open started; its exit status tells whether the
    // desktop had a program for the target. xdg-open may last as long as the program it opened,
    // so the process is never ended from here: it deletes itself once it is over.
    auto *process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    auto report = [process, done = std::move(done)](bool opened) {
        process->disconnect();
        process->deleteLater();
        if (done)
            done(opened);
    };
    QObject::connect(process, &QProcess::finished, process, [process, report](int exitCode) {
        report(process->exitStatus() == QProcess::NormalExit && exitCode == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [report](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            report(false);
    });
    process->start();
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

void locateFileInFileManager(const QString &filePath, std::function<void(bool)> done)
{
    const QFileInfo info(filePath);
    const QUrl file = QUrl::fromLocalFile(info.absoluteFilePath());
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    DesktopLauncher::instance().showItems({QString::fromLatin1(file.toEncoded())},
                                          [folder, done = std::move(done)](bool accepted) mutable {
                                              if (!accepted)
                                                  DesktopLauncher::instance().openUrl(folder, std::move(done));
                                              else if (done)
                                                  done(true);
                                          });
}
