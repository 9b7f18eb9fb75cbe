#pragma once

#include "world/GameObject.h"
#include "world/physics/TriangleMeshDesc.h"

namespace physics {
class RigidStatic;
}

// A scene object that never moves; its body, when it has one, is a cooked triangle mesh of
// its own description.
class StaticGameObject : public GameObject {
public:
    StaticGameObject() = default;
    // The body belongs to the physics world and goes with it.
    ~StaticGameObject() override;

    // A static body has no pose to copy back.
    void updateFromPhysics() override;
    // Needs the cooking; the type argument is not used. False when a part is missing or the
    // description cooks into no mesh.
    bool initPhysics(physics::PhysicsWorld* physics, physics::PhysicsMaterial* material, std::uint8_t type,
                     physics::PhysicsWorld* cooking) override;
    physics::RigidActor* getActor() override;
    virtual physics::TriangleMeshDesc getTriangleMeshDesc() = 0;

    physics::RigidStatic* actor = nullptr;
};
