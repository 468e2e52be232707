#include "mainwindow/MainMenus.h"

#include "base/AppSettings.h"
#include "base/TargetSizeTable.h"
#include "base/WebAddresses.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>

namespace {

struct CommandText
{
    MainMenus::Command command;
    const char *text;
};

const CommandText CommandTexts[] = {
    // Each size's mnemonic is the digit that chooses it on the window.
    {MainMenus::Command::Size720p, "&1  720p (1280x720)"},
    {MainMenus::Command::Size480p, "&2  480p (854x480)"},
    {MainMenus::Command::Size360p, "&3  360p (640x360)"},
    {MainMenus::Command::Size240p, "&4  240p (426x240)"},
    {MainMenus::Command::Size1080p, "&5  1080p (1920x1080)"},
    {MainMenus::Command::ViewActualSize, "View Actual Size..."},
    {MainMenus::Command::RestartPlayback, "&Restart Playback"},
    {MainMenus::Command::StopPlayback, "&Stop"},
    {MainMenus::Command::UserGuide, "&User Guide"},
    {MainMenus::Command::TrainingVideos, "&Training Videos"},
    {MainMenus::Command::HelpDesk, "&Help Desk"},
    {MainMenus::Command::OtherProduct1, "Velmora &Slides"},
    {MainMenus::Command::OtherProduct2, "Velmora &Loops"},
    {MainMenus::Command::OtherProduct3, "Velmora &Covers"},
    {MainMenus::Command::About, "&About Velmora..."},
};

// The click that closes a menu must not reach the window as well.
QMenu *newPopup(QMenu *menu)
{
    menu->setAttribute(Qt::WA_NoMouseReplay);
    return menu;
}

} // namespace

MainMenus::MainMenus(QObject *parent)
    : QObject(parent)
{
    for (const CommandText &entry : CommandTexts)
        m_actions[size_t(entry.command)] = new QAction(QString::fromLatin1(entry.text), this);
    for (int i = 0; i < SizeCount; ++i)
        sizeAction(i)->setCheckable(true);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            setMenuOpen(false);
    });
}

void MainMenus::setMenuOpen(bool open)
{
    if (m_menuOpen == open)
        return;
    m_menuOpen = open;
    emit menuOpenChanged(open);
}

QAction *MainMenus::sizeAction(int index) const
{
    return m_actions[size_t(Command::Size720p) + size_t(index)];
}

QAction *MainMenus::otherProductAction(int index) const
{
    return m_actions[size_t(Command::OtherProduct1) + size_t(index)];
}

QUrl MainMenus::otherProductPage(int index)
{
    return webAddress(WebAddress(int(WebAddress::OtherProduct1) + index));
}

QString MainMenus::aboutText()
{
    return QStringLiteral("Velmora - Version %1\n\n"
                          "Copyright (C) 2026 the Velmora developers.\n"
                          "Velmora is provided as is, without warranty of any kind.\n"
                          "It drives ImageMagick and FFmpeg, which are the work of their own authors\n"
                          "and come under their own licences.")
        .arg(QStringLiteral(VELMORA_VERSION));
}

QMenu *MainMenus::createMenu(Popup popup, QWidget *parent) const
{
    QMenu *menu = newPopup(new QMenu(parent));
    switch (popup) {
    case Popup::TargetSize: {
        QMenu *sizes = newPopup(menu->addMenu(QStringLiteral("Target Video Size")));
        for (int i = 0; i < SizeCount; ++i) {
            sizeAction(i)->setChecked(i == AppSettings::instance().targetSizeIndex());
            sizes->addAction(sizeAction(i));
        }
        menu->addAction(action(Command::ViewActualSize));
        break;
    }
    case Popup::Playback:
        menu->addAction(action(Command::RestartPlayback));
        menu->addAction(action(Command::StopPlayback));
        break;
    case Popup::Help:
        // The guide shipped with the program, then its sister products.
        menu->addAction(action(Command::UserGuide));
        menu->addAction(action(Command::TrainingVideos));
        menu->addAction(action(Command::HelpDesk));
        menu->addSeparator();
        for (int i = 0; i < OtherProductCount; ++i)
            menu->addAction(otherProductAction(i));
        menu->addSeparator();
        menu->addAction(action(Command::About));
        break;
    }
    return menu;
}
