#pragma once

#include "world/MoveableBarriers.h"

// A ski guide; the run never makes one.
class Skiguide : public MoveableBarriers {
public:
    Skiguide();
    ~Skiguide() override;
};
