#pragma once

#include <QString>

// A caption placement as the image tool knows it. The user's offsets count to the right and
// downwards; the tool counts inwards from the gravity's edge, and the signs turn one into the other.
struct Placement
{
    QString gravity;
    int xSign;
    int ySign;

    // 0, 1, 2: the left, middle or right column of the nine; row() likewise from the top.
    int column() const;
    int row() const;
};

namespace PlacementTable {
constexpr int Count = 9;
// Placement 0..8, row by row from the top left; nullptr outside that range.
const Placement *find(int placement);
} // namespace PlacementTable
