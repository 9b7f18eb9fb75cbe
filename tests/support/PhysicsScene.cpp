#include "tests/support/PhysicsScene.h"

#include "world/physics/HeightField.h"
#include "world/physics/HeightFieldDesc.h"
#include "world/physics/PhysicsMaterial.h"

#include <algorithm>

namespace {

physics::SceneDesc sceneDesc(const glm::vec3& gravity, physics::PairFilter filter = physics::defaultSimulationFilter,
                             physics::SimulationEventCallback* callback = nullptr)
{
    physics::SceneDesc desc;
    desc.gravity = gravity;
    desc.filterShader = filter;
    desc.simulationEventCallback = callback;
    return desc;
}

}

PhysicsScene::PhysicsScene(const glm::vec3& gravity) : world(sceneDesc(gravity))
{
    material = world.createMaterial(0.75f, 0.75f, 0.0001f);
}

PhysicsScene::PhysicsScene(physics::PairFilter filter, physics::SimulationEventCallback* callback)
    : world(sceneDesc(glm::vec3(0.0f, -20.0f, 0.0f), filter, callback))
{
    material = world.createMaterial(0.75f, 0.75f, 0.0001f);
}

physics::RigidStatic* PhysicsScene::addHeightField(const std::function<std::int16_t(int r, int c)>& height,
                                                   std::uint8_t flags)
{
    physics::HeightFieldDesc desc;
    desc.nbRows = 128;
    desc.nbColumns = 128;
    desc.samples.resize(128 * 128);
    for (int r = 0; r < 128; ++r) {
        for (int c = 0; c < 128; ++c) {
            desc.samples[r * 128 + c].height = height(r, c);
            desc.samples[r * 128 + c].materialIndex0 = flags;
        }
    }
    physics::Transform pose;
    pose.p = glm::vec3(-3200.0f, 0.0f, -3200.0f);
    physics::RigidStatic* actor = world.createRigidStatic(pose);
    physics::HeightFieldGeometry geometry;
    geometry.heightField = world.createHeightField(desc);
    geometry.rowScale = 50.0f;
    geometry.columnScale = 50.0f;
    actor->attachHeightField(geometry, *material);
    actor->setContactOffset(0.01f);
    world.addActor(*actor);
    return actor;
}

physics::RigidDynamic* PhysicsScene::addBox(const glm::vec3& centre, const glm::vec3& halfExtents, std::uint8_t group,
                                            const physics::PhysicsMaterial* boxMaterial)
{
    physics::Transform pose;
    pose.p = centre;
    physics::RigidDynamic* box = world.createRigidDynamic(pose);
    box->attachBox(halfExtents, boxMaterial != nullptr ? *boxMaterial : *material);
    box->setDominanceGroup(group);
    world.addActor(*box);
    return box;
}

void PhysicsScene::step(int count)
{
    for (int i = 0; i < count; ++i) {
        world.simulate(kStep);
        world.fetchResults(true);
    }
}

float PhysicsScene::surfaceAt(float x, float z) const
{
    // From below, so that no box above the surface is in the way.
    physics::RaycastHit hit;
    if (!world.raycast(glm::vec3(x, -1000.0f, z), glm::vec3(0.0f, 1.0f, 0.0f), 2000.0f, hit)) {
        return -1e30f;
    }
    return hit.position.y;
}

namespace {

template <typename Visit>
void forEachCorner(const physics::RigidDynamic& box, Visit visit)
{
    const physics::Transform pose = box.getGlobalPose();
    const glm::vec3 half = box.getBoxHalfExtents();
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 local((corner & 1) ? half.x : -half.x, (corner & 2) ? half.y : -half.y,
                              (corner & 4) ? half.z : -half.z);
        visit(pose.p + pose.q * local);
    }
}

}

float PhysicsScene::clearance(const physics::RigidDynamic& box) const
{
    float least = 1e30f;
    forEachCorner(box, [&](const glm::vec3& point) { least = std::min(least, point.y - surfaceAt(point.x, point.z)); });
    return least;
}

glm::vec3 lowestCorner(const physics::RigidDynamic& box)
{
    glm::vec3 lowest(0.0f, 1e30f, 0.0f);
    forEachCorner(box, [&](const glm::vec3& point) {
        if (point.y < lowest.y) {
            lowest = point;
        }
    });
    return lowest;
}
