#include "dialogs/WindowPlacement.h"

#include <algorithm>
#include <cmath>

namespace WindowPlacement {

namespace {

// A start within [low, high - length], the low end winning when the length does not fit.
int clampInto(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
}

} // namespace

QPoint besideOwner(const QSize &frame, const QRect &owner, const QRect &workArea)
{
    const int workLeft = workArea.left();
    const int workEnd = workArea.left() + workArea.width();
    const int right = owner.left() + owner.width();
    const int left = owner.left() - frame.width();
    const int roomRight = workEnd - right;
    const int roomLeft = owner.left() - workLeft;
    const bool rightFits = roomRight >= frame.width();
    const bool leftFits = roomLeft >= frame.width();
    int x;
    if (rightFits != leftFits)
        x = rightFits ? right : left;
    else
        x = roomRight >= roomLeft ? right : left;
    x = clampInto(x, frame.width(), workLeft, workEnd);
    const int y = owner.top() + owner.height() / 2 - frame.height() / 2;
    return QPoint(x, clampInto(y, frame.height(), workArea.top(), workArea.top() + workArea.height()));
}

QPoint centeredOver(const QRect &owner, const QSize &frame, const QRect &workArea)
{
    QRect placed(QPoint(0, 0), frame);
    placed.moveCenter(owner.center());
    return QPoint(clampInto(placed.x(), frame.width(), workArea.left(), workArea.left() + workArea.width()),
                  clampInto(placed.y(), frame.height(), workArea.top(), workArea.top() + workArea.height()));
}

QSize fitWithin(const QSize &content, const QSize &room)
{
    if (content.isEmpty() || room.isEmpty()
        || (content.width() <= room.width() && content.height() <= room.height()))
        return content;
    const double scale = std::min(double(room.width()) / content.width(), double(room.height()) / content.height());
    // Rounded down, so the scaled side that fills the room exactly never comes out one pixel over.
    return QSize(std::clamp(int(std::floor(content.width() * scale + 1e-9)), 1, room.width()),
                 std::clamp(int(std::floor(content.height() * scale + 1e-9)), 1, room.height()));
}

QSize clientRoom(const QRect &workArea, const QMargins &frame)
{
    return workArea.marginsRemoved(frame).size();
}

QMargins guessedFrame()
{
    return QMargins(4, 32, 4, 4);
}

} // namespace WindowPlacement
