#include "widgets/ColorButton.h"

#include <QColorDialog>
#include <QPainter>

ColorButton::ColorButton(QWidget *parent)
    : QAbstractButton(parent)
{
    initCustomColors();
    connect(this, &QAbstractButton::clicked, this, &ColorButton::pickColor);
}

void ColorButton::initCustomColors()
{
    // Qt brings back the last run's custom colors from its own settings: start white.
    static const bool done = [] {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, QColor(Qt::white));
        return true;
    }();
    Q_UNUSED(done);
}

void ColorButton::setColor(const QColor &color)
{
    m_color = color;
    update();
}

quint32 ColorButton::colorRef() const
{
    return static_cast<quint32>(m_color.red()) | (static_cast<quint32>(m_color.green()) << 8)
        | (static_cast<quint32>(m_color.blue()) << 16);
}

void ColorButton::setColorRef(quint32 bgr)
{
    setColor(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

void ColorButton::pickColor()
{
    QColorDialog picker(m_color, this);
    picker.setOption(QColorDialog::DontUseNativeDialog);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_color = picker.selectedColor();
    repaint();
    emit colorChanged();
}
