#include "widgets/DialogToolTips.h"

#include "widgets/DialogTemplate.h"
#include "widgets/ToolTipTable.h"

#include <QEvent>
#include <QToolTip>
#include <QWidget>

DialogToolTips::DialogToolTips(QObject *parent)
    : QObject(parent)
{
}

DialogToolTips::~DialogToolTips()
{
    clear();
}

int DialogToolTips::rowCount() const
{
    return static_cast<int>(toolTipTable().size());
}

void DialogToolTips::clear()
{
    for (const Tip &tip : std::as_const(m_tips)) {
        if (tip.control) {
            tip.control->removeEventFilter(this);
            tip.control->setToolTip(QString());
        }
    }
    m_tips.clear();
}

int DialogToolTips::createTips(int templateId, QWidget *dialog)
{
    clear();
    for (const ToolTipRow &row : toolTipTable()) {
        if (row.dialogId != templateId || m_tips.size() >= MaxTips)
            continue;
        QWidget *control = dialogControl(dialog, row.controlId);
        if (control) {
            control->setToolTip(row.text);
            control->installEventFilter(this);
        }
        m_tips.append({row.controlId, control, row.text});
    }
    return tipCount();
}

void DialogToolTips::updateTip(const QString &text, QWidget *dialog, int controlId)
{
    for (Tip &tip : m_tips) {
        if (tip.controlId != controlId)
            continue;
        tip.text = text;
        if (QWidget *control = dialogControl(dialog, controlId))
            control->setToolTip(text);
        return;
    }
}

QString DialogToolTips::tipText(int controlId) const
{
    for (const Tip &tip : m_tips) {
        if (tip.controlId == controlId && tip.control)
            return tip.text;
    }
    return QString();
}

bool DialogToolTips::shouldShowToolTip(const QWidget *control)
{
    return control && control->isEnabled() && control->isVisible();
}

bool DialogToolTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !shouldShowToolTip(qobject_cast<QWidget *>(watched))) {
        QToolTip::hideText();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
