#include "widgets/SelectAllLineEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>

SelectAllLineEdit::SelectAllLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void SelectAllLineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (m_selectAllPending)
        selectAll();
    m_selectAllPending = false;
}

void SelectAllLineEdit::focusOutEvent(QFocusEvent *event)
{
    m_selectAllPending = true;
    QLineEdit::focusOutEvent(event);
}

void SelectAllLineEdit::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats its press, not its release: one notice when it comes up.
    if (!event->isAutoRepeat())
        emit keyReleased(property("controlId").toInt());
    QLineEdit::keyReleaseEvent(event);
}
