#include "MainInputFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

MainInputFilter::MainInputFilter(QWidget *window, const QList<QWidget *> &hoverFocus, QWidget *textInput,
                                 bool &menuOpen, const QList<QWidget *> &playback)
    : QObject(window)
    , m_window(window)
    , m_hoverFocus(hoverFocus)
    , m_textInput(textInput)
    , m_menuOpen(menuOpen)
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
        if (filterKey(event))
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
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool MainInputFilter::filterKey(QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    const int k = key->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (k >= Qt::Key_1 && k <= Qt::Key_5 && !(key->modifiers() & Qt::KeypadModifier)) {
        if (event->type() == QEvent::KeyPress)
            emit targetSizeChosen(k - Qt::Key_1);
        event->accept();
        return true;
    }
    return false;
}

bool MainInputFilter::filterClick(QWidget *widget, QEvent *event)
{
    // The click after a menu closed without a choice only closes what is left of it.
    if (m_menuOpen) {
        m_menuOpen = false;
        return true;
    }
    // A button ignores the right button; the release over it is what is seen here.
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton && m_playback.contains(widget))
        emit playbackMenuRequested();
    return false;
}

void MainInputFilter::focusFollowsMouse(QWidget *widget)
{
    if (m_hoverFocus.contains(widget)) {
        m_lastHovered = widget;
        widget->setFocus(Qt::MouseFocusReason);
    } else if (m_lastHovered != m_textInput) {
        // The window's hidden focus sink cannot take the focus in Qt: the window itself does.
        m_window->setFocus(Qt::MouseFocusReason);
    }
}
