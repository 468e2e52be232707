#pragma once

#include <QObject>

#include <array>

class QAction;
class QMenu;
class QUrl;
class QWidget;

// The main window's menu commands as actions, and its three pop-up menus made of them: target
// size (the window's body), playback (play and pause) and help.
class MainMenus : public QObject
{
    Q_OBJECT

public:
    enum class Command {
        Size720p,
        Size480p,
        Size360p,
        Size240p,
        Size1080p,
        ViewActualSize,
        RestartPlayback,
        StopPlayback,
        UserGuide,
        TrainingVideos,
        HelpDesk,
        OtherProduct1,
        OtherProduct2,
        OtherProduct3,
        About,
    };
    static constexpr int CommandCount = int(Command::About) + 1;
    static constexpr int SizeCount = 5;
    static constexpr int OtherProductCount = 3;

    enum class Popup { TargetSize, Playback, Help };

    explicit MainMenus(QObject *parent = nullptr);

    QAction *action(Command command) const { return m_actions[size_t(command)]; }
    // The target size command of a size row (0 for 720p).
    QAction *sizeAction(int index) const;
    // The command of other product `index` (0 to 2) and the web page it opens.
    QAction *otherProductAction(int index) const;
    static QUrl otherProductPage(int index);
    // What About shows.
    static QString aboutText();

    // A new menu owned by the caller; the target sizes show which one is current.
    QMenu *createMenu(Popup popup, QWidget *parent) const;

    // Set while a menu shows and after it closed without a choice: the next click on the window
    // only closes what is left of it. A command, or the program becoming active, clears it.
    bool isMenuOpen() const { return m_menuOpen; }
    void setMenuOpen(bool open);

signals:
    void menuOpenChanged(bool open);

private:
    std::array<QAction *, CommandCount> m_actions;
    bool m_menuOpen = false;
};
