#pragma once

#include <QAbstractButton>
#include <QColor>

// A colour swatch: paints its colour over its whole area; a click opens the colour picker and
// a confirmed choice (even the same colour) replaces the colour and is reported.
class CCustomColorButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CCustomColorButton(QWidget *parent = nullptr);

    QColor color() const { return m_colour; }
    void setColor(const QColor &colour);
    // The colour as a platform colour value, red in the low byte (0x00BBGGRR).
    quint32 colorRef() const;
    void setColorRef(quint32 bgr);

    // Sets the picker's sixteen custom colours to white, once per run; they are shared by
    // every picker of the program from then on.
    static void InitCustomColours();

signals:
    // The user confirmed a colour in the picker.
    void colorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PickColour();

    QColor m_colour = Qt::black;
};
