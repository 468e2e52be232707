#include "controls/CCheckSK.h"

#include "controls/AccessibleInterfaces.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

const QColor CCheckSK::OnColour(0, 255, 0);
const QColor CCheckSK::OffColour(0, 127, 0);

CCheckSK::CCheckSK(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    InstallAccessibleInterfaces();
    setText(text);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] {
        setOn(!m_isOn);
        emit checkChanged(property("controlId").toInt(), m_isOn ? 1 : 0);
    });
}

void CCheckSK::setOn(bool on)
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

void CCheckSK::AddToolTip(const QString &text)
{
    if (text.isEmpty())
        return;
    setToolTip(text);
    if (accessibleName().isEmpty() && this->text().isEmpty())
        setAccessibleName(text);
}

void CCheckSK::setLampOnRight(bool onRight)
{
    m_lampOnRight = onRight;
    update();
}

void CCheckSK::setTextAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QRect CCheckSK::LampRect(const QSize &size, bool lampOnRight)
{
    // Edges as the box computes them: right and bottom exclusive.
    const int innerLeft = 3, innerTop = 3;
    const int innerRight = size.width() - 3, innerBottom = size.height() - 3;
    const int left = lampOnRight ? innerRight - BoxSize : innerLeft;
    const int top = (innerBottom - BoxSize - innerTop) / 2 + 2;
    return QRect(left, top, BoxSize, BoxSize);
}

void CCheckSK::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    const bool pressed = isDown();
    const bool disabled = !isEnabled();
    const QRect item = rect();

    if (m_hover) {
        painter.setBrush(colours.color(QPalette::Light));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), 2, 0.5);
    } else {
        painter.fillRect(item, colours.color(QPalette::Button));
    }

    QRect lamp = LampRect(size(), m_lampOnRight);
    QRect inner = item.adjusted(3, 3, -3, -3);
    if (m_lampOnRight)
        inner.setRight(lamp.left() - 3 - 1);
    else
        inner.setLeft(lamp.right() + 1 + 3);
    if (pressed)
        lamp.translate(1, 1);

    const QColor fill = disabled ? colours.color(QPalette::Dark) : (m_isOn ? OnColour : OffColour);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(fill);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(QRectF(lamp).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(OffColour, 1));
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
        // Engraved: a light copy one pixel down-right under the shadow-coloured text.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, text());
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawText(textRect, flags, text());
    } else {
        painter.setPen(colours.color(QPalette::ButtonText));
        painter.drawText(textRect, flags, text());
    }
}

bool CCheckSK::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && !isEnabled())
        return true;
    return QAbstractButton::event(event);
}

void CCheckSK::SetHover(bool hover)
{
    m_hover = hover;
    update();
}

void CCheckSK::enterEvent(QEnterEvent *event)
{
    // A press that began elsewhere and was dragged here does not light the box up.
    if (!(QApplication::mouseButtons() & Qt::LeftButton))
        SetHover(true);
    QAbstractButton::enterEvent(event);
}

void CCheckSK::leaveEvent(QEvent *event)
{
    SetHover(false);
    QAbstractButton::leaveEvent(event);
}

void CCheckSK::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && !m_hover)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_hover)
        SetHover(inside);
    QAbstractButton::mouseMoveEvent(event);
}
