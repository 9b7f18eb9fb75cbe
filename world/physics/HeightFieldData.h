#pragma once

// A cooked height field's samples in Bullet's layout; for the layer's own sources only.

#include "world/physics/HeightField.h"

#include <cstdint>
#include <vector>

namespace physics {

struct HeightField::Data {
    unsigned nbRows = 0;
    unsigned nbColumns = 0;
    // Bullet reads x fastest and x runs along the rows, so sample (r, c) sits at c * nbRows + r.
    std::vector<short> heights;
    std::int16_t minHeight = 0;
    std::int16_t maxHeight = 0;
    // True for the diagonal from (r, c) to (r + 1, c + 1): the samples' tessellation flag set.
    bool flipQuadEdges = false;
};

}
