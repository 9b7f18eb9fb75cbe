#pragma once

#include "world/physics/Transform.h"

#include <cstdint>
#include <memory>

namespace physics {

class PhysicsWorld;

// A body of the physics world, dynamic or static. The world that made it owns it; callers keep
// plain pointers. Poses are in the actor's frame (not the centre of mass).
class RigidActor {
public:
    virtual ~RigidActor();

    RigidActor(const RigidActor&) = delete;
    RigidActor& operator=(const RigidActor&) = delete;

    virtual bool isDynamic() const = 0;

    Transform getGlobalPose() const;
    // Teleports the actor; with autowake a sleeping dynamic actor wakes up.
    void setGlobalPose(const Transform& pose, bool autowake = true);

    // 0 player, 1 rock, 2 skier. In a contact between two groups the lower one is (nearly)
    // unaffected and the higher one is pushed. Static actors count as group 0.
    void setDominanceGroup(std::uint8_t group);
    std::uint8_t getDominanceGroup() const;

    // True once the actor has been added to its world's scene.
    bool isInScene() const;
    // World-space bounds of the attached shapes.
    void getBounds(glm::vec3& lower, glm::vec3& upper) const;

    struct Body;
    Body& body() const { return *state; }

protected:
    RigidActor(PhysicsWorld& world, const Transform& pose);

    std::unique_ptr<Body> state;
};

}
