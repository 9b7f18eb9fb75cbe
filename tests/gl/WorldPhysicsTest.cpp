#include "app/Geometry.h"
#include "tests/support/RealWorld.h"
#include "world/Camera.h"
#include "world/DynamicGameObject.h"
#include "world/Player.h"
#include "world/Terrain.h"
#include "world/World.h"
#include "world/physics/BoxController.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using WorldPhysics = RealWorld;

TEST_F(WorldPhysics, HoldsTheSlopesHeightFieldAsItsOnlyStaticActor)
{
    const std::vector<physics::RigidActor*> statics = world->physics->getActors(false);
    ASSERT_EQ(statics.size(), 1u);
    ASSERT_EQ(statics[0], world->terrainActor);
    EXPECT_EQ(world->terrainActor->getGlobalPose().p, glm::vec3(-3200.0f, 0.0f, -3200.0f));
    ASSERT_EQ(world->terrainActor->getNbShapes(), 1u);
    const physics::HeightFieldGeometry* field = world->terrainActor->getHeightFieldGeometry();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->heightField->getNbRows(), 128u);
    EXPECT_EQ(field->heightField->getNbColumns(), 128u);
    EXPECT_EQ(field->rowScale, 50.0f);
    EXPECT_EQ(field->columnScale, 50.0f);
    EXPECT_EQ(field->heightScale, 1.0f);
    glm::vec3 lower;
    glm::vec3 upper;
    world->terrainActor->getBounds(lower, upper);
    EXPECT_NEAR(lower.x, -3200.0f, 1e-2f);
    EXPECT_NEAR(lower.z, -3200.0f, 1e-2f);
    EXPECT_NEAR(upper.x, 3150.0f, 1e-2f);
    EXPECT_NEAR(upper.z, 3150.0f, 1e-2f);
    // The border ring of 10000 walls the field in.
    EXPECT_NEAR(upper.y, 10000.0f, 1e-2f);
    EXPECT_FLOAT_EQ(world->terrainActor->getContactOffset(), 0.01f);
}

TEST_F(WorldPhysics, GravityAndTheOneMaterial)
{
    EXPECT_EQ(world->physics->getGravity(), glm::vec3(0.0f, -20.0f, 0.0f));
    ASSERT_NE(world->defaultMaterial, nullptr);
    EXPECT_FLOAT_EQ(world->defaultMaterial->staticFriction, 0.75f);
    EXPECT_FLOAT_EQ(world->defaultMaterial->dynamicFriction, 0.75f);
    EXPECT_FLOAT_EQ(world->defaultMaterial->restitution, 0.0001f);
    EXPECT_NE(world->defaultMaterial->restitution, 0.0f);
    EXPECT_EQ(world->physics->getWorkerThreads(), 2u);
}

TEST_F(WorldPhysics, PlayerHasNoBodyAndAControllerBoxOfHalfItsModel)
{
    Player& player = *world->player;
    EXPECT_TRUE(world->objects.empty());
    EXPECT_EQ(player.actor, nullptr);
    EXPECT_EQ(player.position, glm::vec3(0.0f, world->terrain->getHeightAt(0.0f, 0.0f), 0.0f));
    EXPECT_EQ(player.position, world->terrain->halfExtents);

    ASSERT_NE(player.controller, nullptr);
    const physics::BoxController& controller = *player.controller;
    const glm::vec3 modelExtents = world->geometry->player.extents;
    EXPECT_EQ(player.extents, modelExtents);
    EXPECT_EQ(glm::vec3(controller.getPosition()), player.position);
    EXPECT_FLOAT_EQ(controller.getHalfHeight(), modelExtents.y * 0.5f);
    EXPECT_FLOAT_EQ(controller.getHalfSideExtent(), modelExtents.x * 0.5f);
    EXPECT_FLOAT_EQ(controller.getHalfForwardExtent(), modelExtents.z * 0.5f);
    EXPECT_FLOAT_EQ(controller.getDensity(), 100.0f);
    EXPECT_FLOAT_EQ(controller.getContactOffset(), 0.02f);
    EXPECT_FLOAT_EQ(controller.getSlopeLimit(), 0.2f);
    EXPECT_FLOAT_EQ(controller.getStepOffset(), 0.75f);
    EXPECT_EQ(controller.getMaterial(), world->defaultMaterial);

    // The controller's proxy is the scene's only dynamic presence after set-up.
    const std::vector<physics::RigidActor*> dynamics = world->physics->getActors(true);
    ASSERT_EQ(dynamics.size(), 1u);
    EXPECT_EQ(dynamics[0], controller.getActor());
}

TEST_F(WorldPhysics, PlayerSetUpPutsTheCameraBehindAndAbove)
{
    const Player& player = *world->player;
    const Camera& camera = *world->camera;
    EXPECT_NEAR(camera.position.x, player.position.x, 1e-4f);
    EXPECT_NEAR(camera.position.y, player.position.y + 15.0f, 1e-3f);
    EXPECT_NEAR(camera.position.z, player.position.z + 100.0f, 1e-3f);
    const glm::vec3 towardsPlayer = glm::normalize(player.position - camera.position);
    EXPECT_NEAR(glm::dot(camera.front, towardsPlayer), 1.0f, 1e-6f);
    EXPECT_NEAR(glm::dot(camera.up, camera.front), 0.0f, 1e-6f);
    EXPECT_GT(camera.up.y, 0.9f);
}

TEST_F(WorldPhysics, TeardownReleasesScenePartsInOrder)
{
    std::vector<std::string> released;
    world->physics->releaseListener = [&](const std::string& part) { released.push_back(part); };
    currentWorld.reset();
    world = nullptr;
    EXPECT_EQ(released, (std::vector<std::string>{"scene", "dispatcher", "physics", "cooking", "foundation"}));
}

// Released early, the physics takes the bodies and the controller with it, and what pointed at them
// no longer does: a frame after it steps nothing and reads nothing freed.
TEST_F(WorldPhysics, ReleasedPhysicsLeavesNoObjectPointingIntoIt)
{
    world->addRock(world->player->position + glm::vec3(0.0f, 20.0f, -30.0f));
    ASSERT_EQ(world->objects.size(), 1u);
    auto* rock = dynamic_cast<DynamicGameObject*>(world->objects[0].get());
    ASSERT_NE(rock, nullptr);
    const glm::vec3 where = rock->position;
    world->releasePhysics();
    EXPECT_EQ(world->player->controller, nullptr);
    EXPECT_EQ(rock->actor, nullptr);
    world->updateSimulation();
    world->player->scale(0.9f);
    EXPECT_EQ(rock->position, where);
}

// Slow motion slows the script's clock, not the physics: a frame with the slow step still moves a
// falling rock by one whole 1/60 s step of gravity.
TEST_F(WorldPhysics, SlowMotionFrameStillStepsTheBodiesBySixtiethOfASecond)
{
    world->addRock(world->player->position + glm::vec3(0.0f, 200.0f, -30.0f));
    ASSERT_EQ(world->objects.size(), 1u);
    auto* rock = dynamic_cast<DynamicGameObject*>(world->objects[0].get());
    ASSERT_NE(rock, nullptr);
    ASSERT_NE(rock->actor, nullptr);
    const float before = rock->actor->getLinearVelocity().y;
    const glm::vec3 start = rock->position;
    world->render(0.0006f);
    EXPECT_NEAR(rock->actor->getLinearVelocity().y - before, -20.0f / 60.0f, 1e-4f);
    // The poses are copied once the step is done: the object is drawn where its body now is.
    const physics::Transform pose = rock->actor->getGlobalPose();
    EXPECT_LT(pose.p.y, start.y);
    EXPECT_EQ(rock->position, pose.p);
    EXPECT_EQ(glm::vec3(rock->model[3]), pose.p);
}

// Walking is never done by the run, but the controller's move is how the hit report is reached:
// the slope (group 0) changes nothing, a rock in the way shrinks the player.
TEST_F(WorldPhysics, PlayerWalkingIntoARockOnTheSlopeShrinks)
{
    Player& player = *world->player;
    world->addRock(player.position + glm::vec3(0.0f, 0.0f, -6.0f));
    ASSERT_EQ(world->objects.size(), 1u);
    auto* rock = dynamic_cast<DynamicGameObject*>(world->objects[0].get());
    ASSERT_NE(rock, nullptr);
    for (int frame = 0; frame < 120; ++frame) {
        world->updateSimulation();
    }
    const float rockDistance = glm::distance(rock->position, player.position);
    ASSERT_LT(rockDistance, 20.0f) << "the rock should have come to rest in front of the player";

    player.speed = 40.0f;
    testing::internal::CaptureStdout();
    for (int step = 0; step < 30 && player.hitCounter == 0; ++step) {
        player.move(0, 0.05f);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(player.hitCounter, -1);
    EXPECT_EQ(out, "onShapeHit Type Rock 1\n");
    EXPECT_FLOAT_EQ(player.GameObject::scale, 0.9f);
    EXPECT_FLOAT_EQ(player.controller->getHalfHeight(), world->geometry->player.extents.y * 0.5f * 0.9f);
    // It stopped at the rock instead of passing through it.
    EXPECT_GT(player.position.z, rock->position.z);
}

// The physics surface is the drawn slope with its heights cut to whole units: a box let go a little
// above any point comes to rest on it, neither sunk in nor floating.
TEST_F(WorldPhysics, BoxDroppedOnTheRealSlopeRestsAtItsHeight)
{
    const glm::vec2 points[] = {{0.0f, 0.0f},       {-3000.0f, -3000.0f}, {3000.0f, 2900.0f}, {1234.5f, -2222.0f},
                                {-1500.0f, 800.0f}, {2500.0f, -100.0f},   {-60.0f, 3100.0f}};
    std::vector<physics::RigidDynamic*> boxes;
    for (const glm::vec2& point : points) {
        physics::Transform pose;
        pose.p = glm::vec3(point.x, world->terrain->getHeightAt(point.x, point.y) + 5.0f, point.y);
        physics::RigidDynamic* box = world->physics->createRigidDynamic(pose);
        box->attachBox(glm::vec3(1.0f), *world->defaultMaterial);
        world->physics->addActor(*box);
        boxes.push_back(box);
    }
    for (int step = 0; step < 240; ++step) {
        world->physics->simulate(1.0f / 60.0f);
        world->physics->fetchResults(true);
    }
    for (size_t i = 0; i < boxes.size(); ++i) {
        const glm::vec3 p = boxes[i]->getGlobalPose().p;
        const float ground = world->terrain->getHeightAt(p.x, p.z);
        // The cut to whole units lowers the physics surface by up to one unit, and its triangles
        // depart from the drawn blend of a cell's corners by a little either way.
        EXPECT_GT(p.y - 1.0f, ground - 1.5f) << "box " << i << " sank in";
        EXPECT_LT(p.y - 1.0f, ground + 0.5f) << "box " << i << " floats";
    }
}

}
