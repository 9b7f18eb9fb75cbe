#pragma once

#include "world/SolidBarriers.h"

// An avalanche barrier; the run never makes one.
class AvalancheBarrier : public SolidBarriers {
public:
    AvalancheBarrier();
    ~AvalancheBarrier() override;
};
