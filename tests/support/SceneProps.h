#pragma once

#include "app/Vertex.h"
#include "world/GameObject.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

// A scene object with no behaviour of its own, for drawing fixtures.
class Prop : public GameObject {
public:
    void initGeometry() override {}
    void updateFromPhysics() override {}
    bool initPhysics(physics::PhysicsWorld*, physics::PhysicsMaterial*, std::uint8_t, physics::PhysicsWorld*) override
    {
        return false;
    }
    physics::RigidActor* getActor() override { return nullptr; }
};

// Unindexed triangles as the lit draw submits them: one index per vertex.
struct PropMesh {
    std::vector<Vertex> vertices;
    std::vector<GLushort> indices;
};

// A square of side 2 * halfSize around `centre`, facing along `normal`.
PropMesh squareMesh(const glm::vec3& centre, const glm::vec3& normal, float halfSize);

// An irregular flat-shaded rock around the origin: a sphere of `radius` whose points are pushed
// in and out by up to a quarter of it, the same shape for the same seed.
PropMesh rockMesh(float radius, unsigned seed);
