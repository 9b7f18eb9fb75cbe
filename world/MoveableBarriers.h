#pragma once

#include "world/Barriers.h"

// Obstacles that move by themselves: skiers, guides, tourers.
class MoveableBarriers : public Barriers {
public:
    MoveableBarriers() = default;
    ~MoveableBarriers() override;
};
