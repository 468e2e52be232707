#include "MainInputFilter.h"

#include "mainwindow/MainMenus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

MainInputFilter::MainInputFilter(QWidget *window, const QList<QWidget *> &hoverFocus, QWidget *textInput,
                                 MainMenus *menus, const QList<QWidget *> &playback)
    : QObject(window)
    , m_window(window)
    , m_hoverFocus(hoverFocus)
    , m_textInput(textInput)
    , m_menus(menus)
    , m_playback(playback)
{
    qApp->installEventFilter(this);
}

bool MainInputFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (filterKey(widget, event))
            return true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (filterClick(widget, event))
            return true;
        break;
    case QEvent::Enter:
        focusFollowsMouse(widget);
        break;
    case QEvent::MouseMove:
        // Going from a control back to the body sends the window no Enter of its own, only moves.
        // Each move is decided by its own position: a move a control ignores travels on to its
        // parent, and a later query of the pointer may already see another place. A held button
        // grabs the moves for the widget pressed.
        if (auto *move = static_cast<QMouseEvent *>(event); move->buttons() == Qt::NoButton) {
            QWidget *under = widget->childAt(move->position().toPoint());
            focusFollowsMouse(under ? under : widget);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool MainInputFilter::filterKey(QWidget *receiver, QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    const int k = key->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    // A digit typed into a text field is text, not a size.
    if (k >= Qt::Key_1 && k <= Qt::Key_5 && !(key->modifiers() & Qt::KeypadModifier)
        && !takesText(receiver) && !takesText(QApplication::focusWidget())) {
        if (event->type() == QEvent::KeyPress)
            emit targetSizeChosen(k - Qt::Key_1);
        event->accept();
        return true;
    }
    return false;
}

bool MainInputFilter::takesText(const QWidget *widget)
{
    // Every editable text field (line, text or spin box) asks for input methods; read-only ones do
    // not.
    return widget && widget->testAttribute(Qt::WA_InputMethodEnabled);
}

bool MainInputFilter::filterClick(QWidget *widget, QEvent *event)
{
    // The click after a menu closed without a choice only closes what is left of it.
    if (m_menus->isMenuOpen()) {
        m_menus->setMenuOpen(false);
        return true;
    }
    if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton || !qobject_cast<QAbstractButton *>(widget))
        return false;
    // A button ignores the right button, so its press would travel on to the window and open the
    // size menu, which belongs to the body alone: the press ends here, and the release over the
    // play or pause button opens the playback menu.
    if (event->type() == QEvent::MouseButtonRelease && m_playback.contains(widget)
        && widget->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
        emit playbackMenuRequested();
    event->accept();
    return true;
}

void MainInputFilter::focusFollowsMouse(QWidget *under)
{
    QWidget *control = under;
    while (control && control != m_window && !m_hoverFocus.contains(control))
        control = control->parentWidget();
    if (control && control != m_window) {
        m_lastHovered = control;
        if (!control->hasFocus())
            control->setFocus(Qt::MouseFocusReason);
    } else if (m_lastHovered != m_textInput && !m_window->hasFocus()) {
        // The window's hidden focus sink cannot take the focus in Qt: the window itself does.
        m_window->setFocus(Qt::MouseFocusReason);
    }
}
