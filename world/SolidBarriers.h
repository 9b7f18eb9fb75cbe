#pragma once

#include "world/Barriers.h"

// Obstacles that stand their ground: rocks, avalanche barriers, crevasses.
class SolidBarriers : public Barriers {
public:
    SolidBarriers() = default;
    ~SolidBarriers() override;
};
