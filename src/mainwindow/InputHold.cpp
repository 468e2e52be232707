#include "InputHold.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

InputHold::InputHold(QWidget *owner, QDialog *dialog)
    : QObject(dialog)
    , m_owner(owner)
    , m_dialog(dialog)
{
    qApp->installEventFilter(this);
}

InputHold::~InputHold()
{
    qApp->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_dialog || widget->window() != m_owner)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::TabletPress:
    case QEvent::TouchBegin:
        m_dialog->raise();
        m_dialog->activateWindow();
        QApplication::beep();
        event->accept();
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        event->accept();
        return true;
    case QEvent::Close:
        // As a modal dialog would: the owner stays while the dialog runs.
        if (widget == m_owner) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
