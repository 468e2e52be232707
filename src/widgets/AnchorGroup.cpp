#include "widgets/AnchorGroup.h"

#include <QWidget>

bool AnchorGroup::addControl(QWidget *control, float factorX, float factorY)
{
    if (!control || m_entries.size() >= MaxControls)
        return false;
    m_entries.append({control, control->pos(), factorX, factorY});
    return true;
}

void AnchorGroup::moveBy(int dx, int dy)
{
    const float fdx = static_cast<float>(dx);
    const float fdy = static_cast<float>(dy);
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entry.control)
            continue;
        entry.control->move(entry.origin.x() + static_cast<int>(entry.factorX * fdx),
                            entry.origin.y() + static_cast<int>(entry.factorY * fdy));
    }
}
