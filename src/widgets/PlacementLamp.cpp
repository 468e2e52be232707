#include "widgets/PlacementLamp.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Assistive technology reads the painted lamp as a check box that is on or off.
class AccessibleLamp : public QAccessibleWidget
{
public:
    explicit AccessibleLamp(PlacementLamp *lamp)
        : QAccessibleWidget(lamp, QAccessible::CheckBox)
    {
    }

    PlacementLamp *lamp() const { return static_cast<PlacementLamp *>(widget()); }

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

QAccessibleInterface *lampInterface(const QString &, QObject *object)
{
    if (auto *lamp = qobject_cast<PlacementLamp *>(object))
        return new AccessibleLamp(lamp);
    return nullptr;
}

} // namespace

const QColor PlacementLamp::OnColor(0, 255, 0);
const QColor PlacementLamp::OffColor(0, 127, 0);

PlacementLamp::PlacementLamp(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    static const bool accessible = (QAccessible::installFactory(lampInterface), true);
    Q_UNUSED(accessible);
    setText(text);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        setOn(!m_isOn);
        emit checkChanged(property("controlId").toInt(), m_isOn);
    });
}

void PlacementLamp::setOn(bool on)
{
    if (m_isOn != on) {
        m_isOn = on;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    update();
}

void PlacementLamp::addToolTip(const QString &text)
{
    if (text.isEmpty())
        return;
    setToolTip(text);
    if (accessibleName().isEmpty() && this->text().isEmpty())
        setAccessibleName(text);
}

void PlacementLamp::setLampOnRight(bool onRight)
{
    m_lampOnRight = onRight;
    update();
}

void PlacementLamp::setTextAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QRect PlacementLamp::lampRect(const QSize &size, bool lampOnRight)
{
    // Edges as the box computes them: right and bottom exclusive.
    const int innerLeft = 3, innerTop = 3;
    const int innerRight = size.width() - 3, innerBottom = size.height() - 3;
    const int left = lampOnRight ? innerRight - BoxSize : innerLeft;
    const int top = (innerBottom - BoxSize - innerTop) / 2 + 2;
    return QRect(left, top, BoxSize, BoxSize);
}

void PlacementLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colors = palette();
    const bool pressed = isDown();
    const bool disabled = !isEnabled();
    const QRect item = rect();

    if (m_hover) {
        painter.setBrush(colors.color(QPalette::Light));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), 2, 0.5);
    } else {
        painter.fillRect(item, colors.color(QPalette::Button));
    }

    QRect lamp = lampRect(size(), m_lampOnRight);
    QRect inner = item.adjusted(3, 3, -3, -3);
    if (m_lampOnRight)
        inner.setRight(lamp.left() - 3 - 1);
    else
        inner.setLeft(lamp.right() + 1 + 3);
    if (pressed)
        lamp.translate(1, 1);

    const QColor fill = disabled ? colors.color(QPalette::Dark) : (m_isOn ? OnColor : OffColor);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fill);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(QRectF(lamp).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(OffColor, 1));
    painter.drawEllipse(QRectF(lamp.adjusted(1, 1, -1, -1)).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setRenderHint(QPainter::Antialiasing, false);

    if (text().isEmpty())
        return;
    const int flags = Qt::TextWordWrap | Qt::AlignVCenter
        | (m_alignment & Qt::AlignHorizontal_Mask ? int(m_alignment & Qt::AlignHorizontal_Mask)
                                                  : int(Qt::AlignLeft));
    QRect textRect = inner;
    if (pressed)
        textRect.translate(1, 1);
    if (disabled) {
        // Engraved: a light copy one pixel down-right under the shadow-colored text.
        painter.setPen(colors.color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, text());
        painter.setPen(colors.color(QPalette::Dark));
        painter.drawText(textRect, flags, text());
    } else {
        painter.setPen(colors.color(QPalette::ButtonText));
        painter.drawText(textRect, flags, text());
    }
}

bool PlacementLamp::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !isEnabled())
        return true;
    return QAbstractButton::event(event);
}

void PlacementLamp::setHover(bool hover)
{
    m_hover = hover;
    update();
}

void PlacementLamp::enterEvent(QEnterEvent *event)
{
    // A press that began elsewhere and was dragged here does not light the box up.
    if (!(QApplication::mouseButtons() & Qt::LeftButton))
        setHover(true);
    QAbstractButton::enterEvent(event);
}

void PlacementLamp::leaveEvent(QEvent *event)
{
    setHover(false);
    QAbstractButton::leaveEvent(event);
}

void PlacementLamp::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && !m_hover)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_hover)
        setHover(inside);
    QAbstractButton::mouseMoveEvent(event);
}
