#pragma once

#include <cstdint>
#include <vector>

namespace physics {

// One height-field sample: a 16-bit height and two material bytes; the high bit of the first
// byte is the tessellation flag, which picks the cell's diagonal.
struct HeightFieldSample {
    std::int16_t height = 0;
    std::uint8_t materialIndex0 = 0;
    std::uint8_t materialIndex1 = 0;
};
static_assert(sizeof(HeightFieldSample) == 4, "a sample is 4 bytes");

// A grid of nbRows x nbColumns samples, row-major: sample (r, c) at r * nbColumns + c.
// Rows run along x and columns along z; sample (r, c) stands at (r * rowScale, height * heightScale,
// c * columnScale) in the actor's frame. The description owns its samples.
struct HeightFieldDesc {
    unsigned nbRows = 0;
    unsigned nbColumns = 0;
    std::vector<HeightFieldSample> samples;
    float convexEdgeThreshold = 0.0f;
    unsigned flags = 0;
};

}
