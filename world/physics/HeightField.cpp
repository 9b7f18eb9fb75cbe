#include "world/physics/HeightField.h"

#include "world/physics/HeightFieldData.h"

#include <algorithm>
#include <iostream>

namespace physics {

namespace {

constexpr std::uint8_t tessellationFlag = 0x80;

bool hasTessellationFlag(const HeightFieldSample& sample)
{
    return (sample.materialIndex0 & tessellationFlag) != 0;
}

}

HeightField::HeightField(const HeightFieldDesc& desc) : state(std::make_unique<Data>())
{
    Data& d = *state;
    d.nbRows = desc.nbRows;
    d.nbColumns = desc.nbColumns;
    d.heights.resize(desc.samples.size());
    for (unsigned r = 0; r < desc.nbRows; ++r) {
        for (unsigned c = 0; c < desc.nbColumns; ++c) {
            d.heights[c * desc.nbRows + r] = desc.samples[r * desc.nbColumns + c].height;
        }
    }
    const auto [lowest, highest] = std::minmax_element(d.heights.begin(), d.heights.end());
    d.minHeight = *lowest;
    d.maxHeight = *highest;

    // Bullet's field has one diagonal for every cell; a mixed field keeps the first sample's.
    d.flipQuadEdges = hasTessellationFlag(desc.samples.front());
    const bool mixed = std::any_of(desc.samples.begin(), desc.samples.end(), [&](const HeightFieldSample& sample) {
        return hasTessellationFlag(sample) != d.flipQuadEdges;
    });
    if (mixed) {
        std::cerr << "physics: height field samples mix tessellation flags; every cell takes the diagonal of sample"
                     " (0, 0)\n";
    }
}

HeightField::~HeightField() = default;

unsigned HeightField::getNbRows() const
{
    return state->nbRows;
}

unsigned HeightField::getNbColumns() const
{
    return state->nbColumns;
}

std::int16_t HeightField::getHeight(unsigned r, unsigned c) const
{
    if (r >= state->nbRows || c >= state->nbColumns) {
        return 0;
    }
    return state->heights[c * state->nbRows + r];
}

}
