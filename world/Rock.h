#pragma once

#include "world/SolidBarriers.h"

// A rock cluster on the slope; its mesh comes from the model table.
class Rock : public SolidBarriers {
public:
    Rock();
    ~Rock() override;
    // The mesh is set at registration.
    void initGeometry() override;
};
