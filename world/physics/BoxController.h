#pragma once

#include "world/physics/BoxControllerDesc.h"

#include <glm/glm.hpp>

#include <memory>

namespace physics {

class PhysicsWorld;
class RigidDynamic;

// Which sides of the box touched something during a move.
namespace collisionflags {
inline constexpr unsigned sides = 1u << 0;
inline constexpr unsigned up = 1u << 1;
inline constexpr unsigned down = 1u << 2;
}

// What a move collides with.
struct ControllerFilters {
    bool staticShapes = true;
    bool dynamicShapes = true;
    bool preFilter = true;
};

// A box that a caller moves by sweeps through the scene: it stops short of what it hits by its
// contact offset, slides along it, steps up by its step offset, and reports every touched shape to
// its hit report while it moves. A kinematic proxy box in the scene pushes the dynamic bodies.
class BoxController {
public:
    ~BoxController();

    // An up pass (the step offset), a side pass and a down pass; returns collisionflags bits.
    // The caller supplies any gravity in the displacement.
    unsigned move(const glm::vec3& displacement, float minDistance, float elapsedTime,
                  const ControllerFilters& filters = ControllerFilters());

    // The centre of the box.
    glm::dvec3 getPosition() const;
    bool setPosition(const glm::dvec3& position);
    glm::dvec3 getFootPosition() const;

    // Each resizes the box and its proxy without moving or testing it; false for a size <= 0.
    bool setHalfHeight(float halfHeight);
    bool setHalfSideExtent(float halfSideExtent);
    bool setHalfForwardExtent(float halfForwardExtent);
    float getHalfHeight() const;
    float getHalfSideExtent() const;
    float getHalfForwardExtent() const;

    float getContactOffset() const;
    float getSlopeLimit() const;
    float getStepOffset() const;
    float getDensity() const;
    const PhysicsMaterial* getMaterial() const;

    // The hidden kinematic body that stands for the controller in the scene.
    RigidDynamic* getActor() const;

    struct Data;

private:
    friend class PhysicsWorld;
    BoxController(PhysicsWorld& world, const BoxControllerDesc& desc);
    std::unique_ptr<Data> state;
};

}
