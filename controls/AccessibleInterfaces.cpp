#include "controls/AccessibleInterfaces.h"

#include "controls/CCheckSK.h"
#include "controls/CPictureBox.h"

#include <QAccessibleWidget>

namespace {

class AccessibleLamp : public QAccessibleWidget
{
public:
    explicit AccessibleLamp(CCheckSK *lamp)
        : QAccessibleWidget(lamp, QAccessible::CheckBox)
    {
    }

    CCheckSK *lamp() const { return static_cast<CCheckSK *>(widget()); }

    QString text(QAccessible::Text type) const override
    {
        QString text = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && text.isEmpty())
            text = lamp()->text();
        return text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = lamp()->isOn();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList(toggleAction()) + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == toggleAction())
            lamp()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *ControlInterface(const QString &, QObject *object)
{
    if (auto *lamp = qobject_cast<CCheckSK *>(object))
        return new AccessibleLamp(lamp);
    if (auto *box = qobject_cast<CPictureBox *>(object))
        return new QAccessibleWidget(box, QAccessible::Graphic);
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(ControlInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
