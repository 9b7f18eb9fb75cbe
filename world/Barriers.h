#pragma once

#include "world/DynamicGameObject.h"

// Root of the obstacles: every obstacle class reaches its dynamic object through this one
// virtual base.
class Barriers : public virtual DynamicGameObject {
public:
    Barriers() = default;
    ~Barriers() override;
};
