#pragma once

#include "world/SolidBarriers.h"

// A crevasse field; the run never makes one.
class Crevasses : public SolidBarriers {
public:
    Crevasses();
    ~Crevasses() override;
};
