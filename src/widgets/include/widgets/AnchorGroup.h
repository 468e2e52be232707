#pragma once

#include <QList>
#include <QPoint>
#include <QPointer>

class QWidget;

// Controls that move together with one of the window's edges: each moves by its factor times
// the size change the owner passes, always relative to where it stood when it was added.
class AnchorGroup
{
public:
    static constexpr int MaxControls = 80;

    // Records the control's current top-left corner (in its parent) as its origin. False when
    // the group is full or the control is null.
    bool addControl(QWidget *control, float factorX, float factorY);
    // Moves every control to its origin plus (factorX x dx, factorY x dy), each product
    // truncated toward zero. Sizes and stacking order stay.
    void moveBy(int dx, int dy);

    int count() const { return static_cast<int>(m_entries.size()); }

private:
    struct Entry
    {
        QPointer<QWidget> control;
        QPoint origin;
        float factorX;
        float factorY;
    };
    QList<Entry> m_entries;
};
