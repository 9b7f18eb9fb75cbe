// Steps the physics layer with the run's load, the way the frame does, and prints the time per
// step: the slope's 128 x 128 height field, 18 rocks scattered near the player, the twenty skiers
// of the burst all made at one point with their torque and upward velocity, and the chaser driven
// across. Run it on one core: taskset -c 2 build/tools/bench/physics_bench

#include "world/physics/HeightField.h"
#include "world/physics/HeightFieldDesc.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace {

constexpr int kSteps = 1000;
constexpr float kStep = 0.016666668f;

// A glacier-like slope of heights 0..100 falling along x, with bumps across it, inside the border
// ring of 10000 that the terrain's description puts around it.
std::int16_t glacierHeight(int r, int c)
{
    if (r == 0 || r == 127 || c == 0 || c == 127) {
        return 10000;
    }
    const float fall = 80.0f * float(127 - r) / 127.0f;
    const float bumps = 10.0f + 10.0f * std::sin(float(c) * 0.21f) * std::sin(float(r) * 0.13f);
    return std::int16_t(std::clamp(fall + bumps, 0.0f, 100.0f));
}

physics::RigidStatic* addSlope(physics::PhysicsWorld& world, const physics::PhysicsMaterial& material)
{
    physics::HeightFieldDesc desc;
    desc.nbRows = 128;
    desc.nbColumns = 128;
    desc.samples.resize(128 * 128);
    for (int r = 0; r < 128; ++r) {
        for (int c = 0; c < 128; ++c) {
            desc.samples[r * 128 + c].height = glacierHeight(r, c);
        }
    }
    physics::Transform corner;
    corner.p = glm::vec3(-3200.0f, 0.0f, -3200.0f);
    physics::RigidStatic* slope = world.createRigidStatic(corner);
    physics::HeightFieldGeometry geometry;
    geometry.heightField = world.createHeightField(desc);
    geometry.rowScale = 50.0f;
    geometry.columnScale = 50.0f;
    slope->attachHeightField(geometry, material);
    slope->setContactOffset(0.01f);
    world.addActor(*slope);
    return slope;
}

// As the objects build their bodies: a box of the given size with its centre of mass at
// (-x/2, -z/2, -y/2), the size's corner.
physics::RigidDynamic* addBox(physics::PhysicsWorld& world, const physics::PhysicsMaterial& material,
                              const glm::vec3& position, float size, std::uint8_t group)
{
    physics::Transform at;
    at.p = position;
    physics::RigidDynamic* box = world.createRigidDynamic(at);
    box->attachBox(glm::vec3(size * 0.5f), material);
    box->setDominanceGroup(group);
    physics::Transform centreOfMass;
    centreOfMass.p = glm::vec3(-size * 0.5f);
    box->setCMassLocalPose(centreOfMass);
    world.addActor(*box);
    return box;
}

float groundAt(const physics::PhysicsWorld& world, float x, float z)
{
    physics::RaycastHit hit;
    world.raycast(glm::vec3(x, 200.0f, z), glm::vec3(0.0f, -1.0f, 0.0f), 400.0f, hit);
    return hit.position.y;
}

}

int main()
{
    physics::SceneDesc sceneDesc;
    sceneDesc.gravity = glm::vec3(0.0f, -20.0f, 0.0f);
    physics::PhysicsWorld world(sceneDesc);
    const physics::PhysicsMaterial& material = *world.createMaterial(0.75f, 0.75f, 0.0001f);
    addSlope(world, material);

    std::mt19937 engine(42);
    std::normal_distribution<float> near(0.0f, 100.0f);
    for (int i = 0; i < 18; ++i) {
        const float x = near(engine);
        const float z = near(engine);
        addBox(world, material, glm::vec3(x, groundAt(world, x, z) + 50.0f, z), 4.1f, 1);
    }
    for (int i = 0; i < 20; ++i) {
        physics::RigidDynamic* skier = addBox(world, material, glm::vec3(0.0f, 80.0f, 0.0f), 2.7f, 2);
        skier->addTorque(glm::vec3(100000.0f, 55500.0f, 10000.0f));
        skier->setLinearVelocity(glm::vec3(0.0f, 90.0f, 0.0f));
    }
    physics::RigidDynamic* chaser =
        addBox(world, material, glm::vec3(-100.0f, groundAt(world, -100.0f, -100.0f) + 10.0f, -100.0f), 2.7f, 2);

    std::vector<double> micros;
    micros.reserve(kSteps);
    for (int i = 0; i < kSteps; ++i) {
        chaser->setLinearVelocity(glm::vec3(10.0f, 0.0f, 10.0f));
        const auto start = std::chrono::steady_clock::now();
        world.simulate(kStep);
        world.fetchResults(true);
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }

    const double mean = std::accumulate(micros.begin(), micros.end(), 0.0) / double(micros.size());
    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    std::printf("physics_bench: %d steps of 1/60 s, 1 height field of 128 x 128, 39 boxes (18 rocks, 21 skiers)\n",
                kSteps);
    std::printf("median %.1f us, mean %.1f us, 99th percentile %.1f us, slowest %.1f us per step\n",
                sorted[sorted.size() / 2], mean, sorted[sorted.size() * 99 / 100], sorted.back());
    return 0;
}
