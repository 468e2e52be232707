#pragma once

#include <QAbstractButton>
#include <QColor>

// A placement box of the text dialog: a round lamp (bright green on, dark green off) that
// toggles on every click, highlights its background while the mouse is over it and reports
// each change to its owner.
class PlacementLamp : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PlacementLamp(const QString &text = QString(), QWidget *parent = nullptr);

    static constexpr int BoxSize = 15;
    static const QColor OnColor;
    static const QColor OffColor;

    bool isOn() const { return m_isOn; }
    // The owner may set the state directly; no check-changed is reported.
    void setOn(bool on);

    // A tooltip of the box's own; an empty text adds none.
    void addToolTip(const QString &text);

    // Lamp at the right with the text left of it (the left-text button style).
    void setLampOnRight(bool onRight);
    void setTextAlignment(Qt::Alignment alignment);

    bool isHovered() const { return m_hover; }

    // The lamp's square for a box of `size` (item rectangle at 0,0): at the left or right of
    // the inner rectangle, vertically centered the way the box draws it.
    static QRect lampRect(const QSize &size, bool lampOnRight);

signals:
    // The box was clicked: its "controlId" and whether it is on now.
    void checkChanged(int controlId, bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setHover(bool hover);

    bool m_isOn = false;
    bool m_hover = false;
    bool m_lampOnRight = false;
    Qt::Alignment m_alignment = Qt::AlignLeft;
};
