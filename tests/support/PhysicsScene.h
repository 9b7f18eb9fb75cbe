#pragma once

#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <functional>

// The run's physics step.
inline constexpr float kStep = 1.0f / 60.0f;

// A physics world set up as the scene's: gravity (0, -20, 0) and the one shared material
// (friction 0.75, restitution 0.0001), with helpers to lay a slope and drop boxes on it.
struct PhysicsScene {
    explicit PhysicsScene(const glm::vec3& gravity = glm::vec3(0.0f, -20.0f, 0.0f));
    // With the scene's gravity and the description's filter and callback.
    PhysicsScene(physics::PairFilter filter, physics::SimulationEventCallback* callback);

    // A 128 x 128 field placed as the slope is: sample (r, c) at (-3200 + 50 r, h, -3200 + 50 c).
    // `flags` goes into every sample's first material byte (0x80 is the tessellation flag).
    physics::RigidStatic* addHeightField(const std::function<std::int16_t(int r, int c)>& height,
                                         std::uint8_t flags = 0);
    // A box centred on its actor's origin, in the scene.
    physics::RigidDynamic* addBox(const glm::vec3& centre, const glm::vec3& halfExtents, std::uint8_t group = 2,
                                  const physics::PhysicsMaterial* boxMaterial = nullptr);
    void step(int count = 1);
    // The height of the slope's surface at (x, z), by a ray.
    float surfaceAt(float x, float z) const;
    // How far the box's corner nearest the slope stands above the surface under it; below zero for
    // a box sunk into it. A box resting on a tilted face has one corner at zero while the corner
    // lowest in the world may hang over lower ground.
    float clearance(const physics::RigidDynamic& box) const;

    physics::PhysicsWorld world;
    physics::PhysicsMaterial* material = nullptr;
};

// World x and z of sample row r and column c.
inline float sampleX(int r)
{
    return -3200.0f + 50.0f * float(r);
}

inline float sampleZ(int c)
{
    return -3200.0f + 50.0f * float(c);
}

// The lowest of a box's eight corners, wherever it has turned.
glm::vec3 lowestCorner(const physics::RigidDynamic& box);
