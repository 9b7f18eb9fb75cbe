#pragma once

#include "world/physics/HeightFieldDesc.h"

#include <memory>

namespace physics {

// A cooked height field: the samples of a description in the layout the collision shape reads.
class HeightField {
public:
    ~HeightField();

    unsigned getNbRows() const;
    unsigned getNbColumns() const;
    // The sample height at row r, column c as the description gave it.
    std::int16_t getHeight(unsigned r, unsigned c) const;

    struct Data;
    Data& data() const { return *state; }

private:
    friend class PhysicsWorld;
    explicit HeightField(const HeightFieldDesc& desc);
    std::unique_ptr<Data> state;
};

// How a height field is placed in its actor: sample (r, c) stands at
// (r * rowScale, height * heightScale, c * columnScale).
struct HeightFieldGeometry {
    HeightField* heightField = nullptr;
    float heightScale = 1.0f;
    float rowScale = 1.0f;
    float columnScale = 1.0f;
};

}
