#include "WindowCommands.h"

#include "DropPause.h"
#include "PictureStep.h"
#include "dialogs/ActualSizeViewer.h"
#include "dialogs/GuideWindow.h"
#include "dialogs/OptionsDialog.h"
#include "tools/DesktopLauncher.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QWidget>

#include <memory>

WindowCommands::WindowCommands(QWidget *window, MainMenus *menus, FileDropFilter *dropTarget,
                               PictureStep &picture)
    : QObject(window)
    , m_window(window)
    , m_menus(menus)
    , m_dropTarget(dropTarget)
    , m_picture(picture)
{
    using Command = MainMenus::Command;
    connect(m_menus->action(Command::ViewActualSize), &QAction::triggered, this, &WindowCommands::viewActualSize);
    const std::pair<Command, UserGuide::Section> guideCommands[] = {
        {Command::UserGuide, UserGuide::Section::Contents},
        {Command::TrainingVideos, UserGuide::Section::Walkthrough},
        {Command::HelpDesk, UserGuide::Section::Troubleshooting},
    };
    for (const auto &[command, section] : guideCommands) {
        connect(m_menus->action(command), &QAction::triggered, this,
                [this, section = section] { openUserGuide(section); });
    }
    // F1 opens the guide from any of the program's windows (the caption dialog and the guide
    // included), as on every desktop.
    m_menus->action(Command::UserGuide)->setShortcut(QKeySequence::HelpContents);
    m_menus->action(Command::UserGuide)->setShortcutContext(Qt::ApplicationShortcut);
    m_window->addAction(m_menus->action(Command::UserGuide));
    for (int i = 0; i < MainMenus::OtherProductCount; ++i)
        connect(m_menus->otherProductAction(i), &QAction::triggered, this, [this, i] { openOtherProductPage(i); });
    connect(m_menus->action(Command::About), &QAction::triggered, this, &WindowCommands::showAbout);
}

void WindowCommands::openOptions()
{
    const DropPause pause(m_dropTarget);
    OptionsDialog dialog(m_window);
    dialog.exec();
}

void WindowCommands::showMenu(MainMenus::Popup popup)
{
    const std::unique_ptr<QMenu> menu(m_menus->createMenu(popup, m_window));
    // The flag swallows the click after a menu closed without a choice; a command clears it.
    m_menus->setMenuOpen(true);
    menu->exec(QCursor::pos());
}

void WindowCommands::openUserGuide(UserGuide::Section section)
{
    m_menus->setMenuOpen(false);
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString index = UserGuide::indexFile(programFolder);
    if (index.isEmpty()) {
        const DropPause pause(m_dropTarget);
        MessageBox::information(m_window, UserGuide::missingMessage(programFolder));
        return;
    }
    if (!m_guide)
        m_guide = new GuideWindow(m_window);
    m_guide->showPage(UserGuide::sectionUrl(index, section));
}

GuideWindow *WindowCommands::guideWindow() const
{
    return m_guide;
}

void WindowCommands::viewActualSize()
{
    const DropPause pause(m_dropTarget);
    ActualSizeViewer viewer(m_picture.preparation().currentPicturePath(), m_window);
    viewer.exec();
    m_menus->setMenuOpen(false);
}

void WindowCommands::showAbout()
{
    const DropPause pause(m_dropTarget);
    MessageBox::information(m_window, MainMenus::aboutText());
    m_menus->setMenuOpen(false);
}

void WindowCommands::openOtherProductPage(int index)
{
    DesktopLauncher::instance().openUrl(MainMenus::otherProductPage(index));
    m_menus->setMenuOpen(false);
}
