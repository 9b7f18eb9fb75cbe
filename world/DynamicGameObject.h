#pragma once

#include "world/GameObject.h"

namespace physics {
class RigidDynamic;
}

// A scene object moved by a rigid dynamic box: its pose is copied from the body after every step.
class DynamicGameObject : public GameObject {
public:
    DynamicGameObject() = default;
    // The body belongs to the physics world and goes with it.
    ~DynamicGameObject() override;

    void updateFromPhysics() override;
    // The cooking argument is not used.
    bool initPhysics(physics::PhysicsWorld* physics, physics::PhysicsMaterial* material, std::uint8_t type,
                     physics::PhysicsWorld* cooking) override;
    physics::RigidActor* getActor() override;

    physics::RigidDynamic* actor = nullptr;
};
