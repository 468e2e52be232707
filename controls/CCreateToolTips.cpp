#include "controls/CCreateToolTips.h"

#include "controls/DialogTemplate.h"
#include "controls/ToolTipTable.h"

#include <QEvent>
#include <QToolTip>
#include <QWidget>

CCreateToolTips::CCreateToolTips(QObject *parent)
    : QObject(parent)
{
}

CCreateToolTips::~CCreateToolTips()
{
    Clear();
}

int CCreateToolTips::rowCount() const
{
    return static_cast<int>(ToolTipTable().size());
}

void CCreateToolTips::Clear()
{
    for (const Tip &tip : std::as_const(m_tips)) {
        if (tip.control) {
            tip.control->removeEventFilter(this);
            tip.control->setToolTip(QString());
        }
    }
    m_tips.clear();
}

int CCreateToolTips::CreateTips(int templateId, QWidget *dialog)
{
    Clear();
    for (const ToolTipRow &row : ToolTipTable()) {
        if (row.dialogId != templateId || m_tips.size() >= MaxTips)
            continue;
        QWidget *control = DialogControl(dialog, row.controlId);
        if (control) {
            control->setToolTip(row.text);
            control->installEventFilter(this);
        }
        m_tips.append({row.controlId, control, row.text});
    }
    return tipCount();
}

void CCreateToolTips::UpdateTip(const QString &text, QWidget *dialog, int controlId)
{
    for (Tip &tip : m_tips) {
        if (tip.controlId != controlId)
            continue;
        tip.text = text;
        if (QWidget *control = DialogControl(dialog, controlId))
            control->setToolTip(text);
        return;
    }
}

QString CCreateToolTips::tipText(int controlId) const
{
    for (const Tip &tip : m_tips) {
        if (tip.controlId == controlId && tip.control)
            return tip.text;
    }
    return QString();
}

bool CCreateToolTips::ShouldShowToolTip(const QWidget *control)
{
    return control && control->isEnabled() && control->isVisible();
}

bool CCreateToolTips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !ShouldShowToolTip(qobject_cast<QWidget *>(watched))) {
        QToolTip::hideText();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
