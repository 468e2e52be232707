#pragma once

#include "dialogs/UserGuide.h"
#include "mainwindow/MainMenus.h"

#include <QObject>
#include <QPointer>

class FileDropFilter;
class GuideWindow;
class PictureStep;
class QWidget;

// The main window's commands that open other windows: options, the picture at its actual size,
// About, the user guide's window, the other products' web pages, and the pop-up menus. A modal
// one holds the window's drops back while it runs; a menu command clears the menu-open flag.
class WindowCommands : public QObject
{
    Q_OBJECT

public:
    WindowCommands(QWidget *window, MainMenus *menus, FileDropFilter *dropTarget, PictureStep &picture);

    void openOptions();
    void showMenu(MainMenus::Popup popup);
    // The guide's section in its window (made once, then brought up again).
    void openUserGuide(UserGuide::Section section);
    // The guide's window while it is open, else null.
    GuideWindow *guideWindow() const;

private:
    void viewActualSize();
    void showAbout();
    void openOtherProductPage(int index);

    QWidget *m_window;
    MainMenus *m_menus;
    FileDropFilter *m_dropTarget;
    PictureStep &m_picture;
    QPointer<GuideWindow> m_guide;
};
