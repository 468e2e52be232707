#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class MainMenus;
class QWidget;

// Keys, clicks and hover over the main window and every control in it: Enter and Escape never
// end the window, the digits 1 to 5 above the letters choose the target size (unless a text field
// has the focus, where they are typed), the click after a menu closed without a choice only closes it, a right
// click on the play or pause button asks for the playback menu, and the focus follows the mouse
// onto the controls and back to the window over the body, staying in the path once the mouse has
// been there. A right press on a button never reaches the window: the size menu is the body's.
class MainInputFilter : public QObject
{
    Q_OBJECT

public:
    // `hoverFocus`: the controls that take the focus when the mouse enters them; elsewhere the
    // window takes it, unless the last of them entered was `textInput`.
    // `menus`: whose flag tells that a menu closed without a choice; `playback`: the play and
    // pause buttons.
    MainInputFilter(QWidget *window, const QList<QWidget *> &hoverFocus, QWidget *textInput,
                    MainMenus *menus, const QList<QWidget *> &playback);

signals:
    void targetSizeChosen(int index);
    void playbackMenuRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool filterKey(QWidget *receiver, QEvent *event);
    static bool takesText(const QWidget *widget);
    bool filterClick(QWidget *widget, QEvent *event);
    // `under`: the widget under the pointer, a control, a part of one, or the body.
    void focusFollowsMouse(QWidget *under);

    QWidget *m_window;
    QList<QWidget *> m_hoverFocus;
    QWidget *m_textInput;
    QPointer<QWidget> m_lastHovered;
    MainMenus *m_menus;
    QList<QWidget *> m_playback;
};
