#include "dialogs/OpenFileDialogPlacement.h"

#include <algorithm>

namespace OpenFileDialogPlacement {

QPoint besideOwner(const QSize &dialog, const QRect &owner, const QRect &keepVisible, const QRect &screen)
{
    constexpr int Overlap = 100;
    const QRect shown = keepVisible.isValid() ? keepVisible : owner;
    // Right of the owner: overlapping it, yet starting after the part that must stay visible.
    const int right = std::max(owner.right() + 1 - Overlap, shown.right() + 1);
    const int left = std::min(owner.left() - dialog.width() + Overlap, shown.left() - dialog.width());
    const int roomRight = screen.right() + 1 - right;
    const int roomLeft = left + dialog.width() - screen.left();
    const bool rightFits = roomRight >= dialog.width();
    const bool leftFits = left >= screen.left();
    int x;
    if (rightFits != leftFits)
        x = rightFits ? right : left;
    else
        x = roomRight >= roomLeft ? right : left;
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - dialog.width()));
    int y = owner.top() + owner.height() / 2 - dialog.height() / 2;
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - dialog.height()));
    return QPoint(x, y);
}

} // namespace OpenFileDialogPlacement
