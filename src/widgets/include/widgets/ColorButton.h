#pragma once

#include <QAbstractButton>
#include <QColor>

// A color swatch: paints its color over its whole area; a click opens the color picker and
// a confirmed choice (even the same color) replaces the color and is reported.
class ColorButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ColorButton(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    // Sets the picker's sixteen custom colors to white, once per run; they are shared by
    // every picker of the program from then on.
    static void initCustomColors();

signals:
    // The user confirmed a color in the picker.
    void colorChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void pickColor();

    QColor m_color = Qt::black;
};
