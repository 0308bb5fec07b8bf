#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "DiscReach.h"

class GameObject;

// The boxes of a list of bodies side by side, so that one sweep finds which of them a disc may touch:
// each entry is skipped exactly where DiscReach::clearlyApartFrom would skip that body. A copy of the
// boxes, so it must be refreshed before use; refreshing costs a compare while the bodies and every
// polygon stay where they were.
class PolygonBoxes {
public:
    // Takes the bodies' boxes again unless these are the bodies last taken and changeCount, the
    // registry's count of changes (ObjectMap::changeCount, for a list it gave), is as it was then.
    void refresh(const std::vector<GameObject*>& bodies, std::uint64_t changeCount);
    // The index of the first body at or after `from` whose pair test with the disc cannot be skipped,
    // or the number of bodies if there is none.
    std::size_t nextNotApart(const DiscReach& reach, std::size_t from) const;

private:
    std::vector<GameObject*> taken;
    std::uint64_t takenAtChange = ~std::uint64_t{0};
    // One array per coordinate, padded to whole groups of four with boxes that are always apart.
    // A body that is not a polygon with vertices has a NaN magnitude, which is never apart.
    std::vector<float> lowerX, lowerY, upperX, upperY, magnitudes;
};
