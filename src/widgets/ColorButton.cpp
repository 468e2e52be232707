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
