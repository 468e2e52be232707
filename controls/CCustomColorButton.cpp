#include "controls/CCustomColorButton.h"

#include <QColorDialog>
#include <QPainter>

CCustomColorButton::CCustomColorButton(QWidget *parent)
    : QAbstractButton(parent)
{
    InitCustomColours();
    connect(this, &QAbstractButton::clicked, this, &CCustomColorButton::PickColour);
}

void CCustomColorButton::InitCustomColours()
{
    // Qt brings back the last run's custom colours from its own settings: start white.
    static const bool done = [] {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, QColor(Qt::white));
        return true;
    }();
    Q_UNUSED(done);
}

void CCustomColorButton::setColor(const QColor &colour)
{
    m_colour = colour;
    update();
}

quint32 CCustomColorButton::colorRef() const
{
    return static_cast<quint32>(m_colour.red()) | (static_cast<quint32>(m_colour.green()) << 8)
        | (static_cast<quint32>(m_colour.blue()) << 16);
}

void CCustomColorButton::setColorRef(quint32 bgr)
{
    setColor(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
}

void CCustomColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
}

void CCustomColorButton::PickColour()
{
    QColorDialog picker(m_colour, this);
    picker.setOption(QColorDialog::DontUseNativeDialog);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_colour = picker.selectedColor();
    repaint();
    emit colorChanged();
}
