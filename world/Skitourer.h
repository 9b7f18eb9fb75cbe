#pragma once

#include "world/MoveableBarriers.h"

// A ski tourer; the run never makes one.
class Skitourer : public MoveableBarriers {
public:
    Skitourer();
    ~Skitourer() override;
};
