#pragma once

#include "world/MoveableBarriers.h"

// A skier, and the chaser; its mesh comes from the model table.
class Skier : public MoveableBarriers {
public:
    Skier();
    ~Skier() override;
    // The mesh is set at registration.
    void initGeometry() override;
};
