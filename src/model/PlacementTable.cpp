#include "model/PlacementTable.h"

#include <array>

const Placement *PlacementTable::find(int placement)
{
    static const std::array<Placement, Count> rows{{
        {QStringLiteral("NorthWest"), +1, +1},
        {QStringLiteral("North"), +1, +1},
        {QStringLiteral("NorthEast"), -1, +1},
        {QStringLiteral("West"), +1, +1},
        {QStringLiteral("Center"), +1, +1},
        {QStringLiteral("East"), -1, +1},
        {QStringLiteral("SouthWest"), +1, -1},
        {QStringLiteral("South"), +1, -1},
        {QStringLiteral("SouthEast"), -1, -1},
    }};
    if (placement < 0 || placement >= Count)
        return nullptr;
    return &rows[static_cast<size_t>(placement)];
}

int Placement::column() const
{
    if (gravity.endsWith(QLatin1String("West")))
        return 0;
    return gravity.endsWith(QLatin1String("East")) ? 2 : 1;
}

int Placement::row() const
{
    if (gravity.startsWith(QLatin1String("North")))
        return 0;
    return gravity.startsWith(QLatin1String("South")) ? 2 : 1;
}
