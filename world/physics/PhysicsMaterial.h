#pragma once

namespace physics {

// Surface response shared by the shapes made with it. Two touching shapes combine their values by
// averaging; the solver has one friction coefficient and uses the dynamic one.
struct PhysicsMaterial {
    float staticFriction = 0.5f;
    float dynamicFriction = 0.5f;
    float restitution = 0.0f;
};

}
