#include "app/Geometry.h"
#include "app/Globals.h"
#include "app/Material.h"
#include "app/Random.h"
#include "tests/support/RealWorld.h"
#include "world/Player.h"
#include "world/Rock.h"
#include "world/Skier.h"
#include "world/Terrain.h"
#include "world/World.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using Spawning = RealWorld;

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

bool inScene(World& world, physics::RigidActor* actor)
{
    const std::vector<physics::RigidActor*> actors = world.physics->getActors(true);
    return std::find(actors.begin(), actors.end(), actor) != actors.end();
}

TEST_F(Spawning, EighteenRocksOfTypeOneWithSnowNearThePlayer)
{
    world->spawnObstacles(18, 1);
    ASSERT_EQ(world->objects.size(), 18u);
    const float expectedScale = std::cbrt(70.0f / (world->geometry->rock.extents.x * world->geometry->rock.extents.y *
                                                   world->geometry->rock.extents.z));
    const glm::vec3 player = world->player->position;
    for (const auto& object : world->objects) {
        auto* rock = dynamic_cast<Rock*>(object.get());
        ASSERT_NE(rock, nullptr);
        ASSERT_NE(rock->actor, nullptr);
        EXPECT_EQ(rock->actor->getDominanceGroup(), 1);
        EXPECT_TRUE(inScene(*world, rock->actor));
        ASSERT_TRUE(rock->material);
        EXPECT_EQ(rock->material->name, "snow");
        EXPECT_EQ(rock->shader, world->findShader("cook_torrance"));
        EXPECT_EQ(rock->camera, world->camera);
        EXPECT_EQ(rock->sun, world->sun);
        EXPECT_NEAR(rock->scale, expectedScale, expectedScale * 0.05f);
        // Drawn at the slope's height plus 50, within two deviations on the far side of the player.
        EXPECT_LE(std::abs(rock->position.x), std::abs(player.x) + 200.0f);
        EXPECT_LE(std::abs(rock->position.z), std::abs(player.z) + 200.0f);
        EXPECT_FLOAT_EQ(rock->position.y, world->terrain->getHeightAt(rock->position.x, rock->position.z) + 50.0f);
        EXPECT_EQ(rock->model[3], glm::vec4(rock->position, 1.0f));
    }
}

TEST_F(Spawning, OtherKindsDrawTheirPointsAndRegisterNothing)
{
    const std::mt19937 before = randomEngine;
    world->spawnObstacles(5, 3);
    EXPECT_TRUE(world->objects.empty());
    EXPECT_NE(randomEngine, before);

    const std::mt19937 after = randomEngine;
    world->spawnObstacles(0, 1);
    world->spawnObstacles(-4, 2);
    EXPECT_EQ(randomEngine, after);
    EXPECT_TRUE(world->objects.empty());
}

TEST_F(Spawning, EverySkierLeavesUpwards)
{
    world->addSkier(glm::vec3(10.0f, 80.0f, 10.0f));
    world->addSkier(glm::vec3(0.0f, 80.0f, 0.0f));
    ASSERT_EQ(world->objects.size(), 2u);
    for (const auto& object : world->objects) {
        auto* skier = dynamic_cast<Skier*>(object.get());
        ASSERT_NE(skier, nullptr);
        ASSERT_NE(skier->actor, nullptr);
        EXPECT_EQ(skier->actor->getLinearVelocity(), glm::vec3(0.0f, 90.0f, 0.0f));
        EXPECT_EQ(skier->actor->getDominanceGroup(), 2);
        EXPECT_EQ(skier->material->name, "rubber");
    }
    // The torque acts through the first step: the skier leaves spinning, as fast as its actor's
    // maximum lets it.
    world->physics->simulate(1.0f / 60.0f);
    world->physics->fetchResults(true);
    auto* skier = dynamic_cast<Skier*>(world->objects[0].get());
    EXPECT_NEAR(glm::length(skier->actor->getAngularVelocity()), 100.0f, 1e-3f);
}

TEST_F(Spawning, ChaserStartsBehindThePlayerAndIsAnOrdinaryBigSkier)
{
    EXPECT_TRUE(world->isChaserPending());
    world->spawnChaserSkier(100.0f, 100.0f);
    EXPECT_FALSE(world->isChaserPending());
    ASSERT_TRUE(world->chaser);
    ASSERT_EQ(world->objects.size(), 1u);
    EXPECT_EQ(world->objects[0], world->chaser);
    const glm::vec3 player = world->player->position;
    const glm::vec3 start = world->chaser->position;
    EXPECT_NEAR(start.x, player.x - 100.0f, 4.0f);
    EXPECT_NEAR(start.z, player.z - 100.0f, 4.0f);
    EXPECT_FLOAT_EQ(start.y, world->terrain->getHeightAt(start.x + 100.0f, start.z + 100.0f) + 10.0f);
    const float volume = world->geometry->skier.extents.x * world->geometry->skier.extents.y *
                         world->geometry->skier.extents.z;
    EXPECT_NEAR(world->chaser->scale, std::cbrt(500.0f / volume), 0.05f * std::cbrt(500.0f / volume));
    // Not thrown upwards as the other skiers are.
    EXPECT_EQ(world->chaser->actor->getLinearVelocity(), glm::vec3(0.0f));

    // A second chaser takes the field; the first stays registered.
    const std::shared_ptr<Skier> first = world->chaser;
    world->spawnChaserSkier(100.0f, 100.0f);
    EXPECT_NE(world->chaser, first);
    EXPECT_EQ(world->objects.size(), 2u);
}

TEST_F(Spawning, ChaserUpdateBeforeTheSpawnDoesNothing)
{
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    EXPECT_FALSE(world->chaserMoving);
    EXPECT_FLOAT_EQ(world->chaserSpin, 20.0f);
}

struct ChaserCase {
    const char* name;
    bool moving;
    glm::vec3 position;
    bool burst;
    glm::vec3 velocity;
    bool movingAfter;
};

class ChaserScript : public RealWorld, public ::testing::WithParamInterface<ChaserCase> {};

// One row of the chaser's state table: the state (driven or not) and where the last pose copy put
// it decide the action.
TEST_P(ChaserScript, StateAndPlaceDecideTheStep)
{
    const ChaserCase& c = GetParam();
    world->spawnChaserSkier(100.0f, 100.0f);
    world->chaserMoving = c.moving;
    world->chaser->position = c.position;
    const size_t before = world->objects.size();
    const float spin = world->chaserSpin;

    EXPECT_EQ(world->updateChaserSkier(1.0f, 1.0f), c.burst);
    EXPECT_EQ(world->chaserMoving, c.movingAfter);
    EXPECT_EQ(world->chaser->actor->getLinearVelocity(), c.velocity);
    EXPECT_EQ(world->chaser->model[3], glm::vec4(c.position, 1.0f));
    const bool driven = !c.burst && c.movingAfter;
    if (driven) {
        EXPECT_EQ(world->chaser->actor->getAngularVelocity(), glm::vec3(0.0f, spin, 0.0f));
        EXPECT_FLOAT_EQ(world->chaserSpin, spin * 0.02f);
    } else {
        EXPECT_EQ(world->chaserSpin, spin);
    }
    ASSERT_EQ(world->objects.size(), before + (c.burst ? 20u : 0u));
    for (size_t i = before; i < world->objects.size(); ++i) {
        EXPECT_EQ(world->objects[i]->position, glm::vec3(0.0f, 80.0f, 0.0f));
        EXPECT_NE(dynamic_cast<Skier*>(world->objects[i].get()), nullptr);
    }
}

const glm::vec3 kDriven(10.0f, 0.0f, 10.0f);

INSTANTIATE_TEST_SUITE_P(
    Rows, ChaserScript,
    ::testing::Values(ChaserCase{"SpawnedOutsideIsDriven", false, {-50.0f, 10.0f, -50.0f}, false, kDriven, true},
                      ChaserCase{"SpawnedInsideIsHeld", false, {5.0f, 10.0f, 5.0f}, false, glm::vec3(0.0f), false},
                      ChaserCase{"DrivenOutsideStaysDriven", true, {-5.0f, 10.0f, 5.0f}, false, kDriven, true},
                      ChaserCase{"DrivenInsideBursts", true, {5.0f, 10.0f, 5.0f}, true, {10.0f, -55500.0f, 10.0f}, false},
                      ChaserCase{"XZeroIsOutside", true, {0.0f, 10.0f, 5.0f}, false, kDriven, true},
                      ChaserCase{"ZZeroIsOutside", false, {5.0f, 10.0f, 0.0f}, false, kDriven, true}),
    [](const ::testing::TestParamInfo<ChaserCase>& info) { return std::string(info.param.name); });

TEST_F(Spawning, BurstComesOncePerEntryIntoTheQuadrant)
{
    world->spawnChaserSkier(100.0f, 100.0f);
    Skier& chaser = *world->chaser;
    // First seen inside: held, no burst until it has left and come back.
    chaser.position = glm::vec3(5.0f, 10.0f, 5.0f);
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    chaser.position = glm::vec3(-1.0f, 10.0f, 5.0f);
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    chaser.position = glm::vec3(1.0f, 10.0f, 5.0f);
    EXPECT_TRUE(world->updateChaserSkier(1.0f, 1.0f));
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    EXPECT_EQ(world->objects.size(), 21u);
    chaser.position = glm::vec3(1.0f, 10.0f, -5.0f);
    EXPECT_FALSE(world->updateChaserSkier(1.0f, 1.0f));
    chaser.position = glm::vec3(1.0f, 10.0f, 5.0f);
    EXPECT_TRUE(world->updateChaserSkier(1.0f, 1.0f));
    EXPECT_EQ(world->objects.size(), 41u);
}

TEST_F(Spawning, OnlyObjectsBeyondTheFarRadiusComeBackNearThePlayer)
{
    const glm::vec3 player = world->player->position;
    world->addRock(player + glm::vec3(100.0f, 0.0f, 200.0f));
    world->addRock(player + glm::vec3(100.0f, 0.0f, 201.0f));
    ASSERT_EQ(world->objects.size(), 2u);
    auto* atRadius = dynamic_cast<Rock*>(world->objects[0].get());
    auto* beyond = dynamic_cast<Rock*>(world->objects[1].get());
    atRadius->actor->setLinearVelocity(glm::vec3(3.0f, 0.0f, 0.0f), true);
    beyond->actor->setLinearVelocity(glm::vec3(3.0f, 0.0f, 0.0f), true);
    // Below the 100 rad/s cap; read before any step damps it.
    const glm::vec3 spin(4.0f, -7.0f, 2.5f);
    beyond->actor->setAngularVelocity(spin, true);
    // Turned, so that coming back upright shows.
    physics::Transform turned = beyond->actor->getGlobalPose();
    turned.q = glm::angleAxis(1.0f, glm::normalize(glm::vec3(1.0f, 2.0f, 3.0f)));
    beyond->actor->setGlobalPose(turned);

    world->relocateFarObjects();

    // Exactly 50000 squared is not too far.
    expectNear(atRadius->actor->getGlobalPose().p, player + glm::vec3(100.0f, 0.0f, 200.0f), 1e-3f);
    EXPECT_EQ(atRadius->actor->getLinearVelocity(), glm::vec3(3.0f, 0.0f, 0.0f));
    const glm::vec3 moved = beyond->actor->getGlobalPose().p;
    EXPECT_LE(std::abs(moved.x), std::abs(player.x) + 200.0f);
    EXPECT_LE(std::abs(moved.z), std::abs(player.z) + 200.0f);
    EXPECT_NEAR(moved.y, world->terrain->getHeightAt(moved.x, moved.z) + 50.0f, 1e-3f);
    EXPECT_NEAR(beyond->actor->getGlobalPose().q.w, 1.0f, 1e-6f);
    EXPECT_EQ(beyond->actor->getLinearVelocity(), glm::vec3(0.0f));
    // Only the motion along its path is stopped: it comes back still turning.
    expectNear(beyond->actor->getAngularVelocity(), spin, 1e-6f);
}

TEST_F(Spawning, RegistrationWithoutPhysicsLeavesListAndSceneAlone)
{
    auto skier = std::make_shared<Skier>();
    world->initGameObject(skier, world->geometry->skier.vertices, world->geometry->skier.indices,
                          world->geometry->skier.extents, 2, true, "cook_torrance");
    EXPECT_TRUE(world->objects.empty());
    EXPECT_EQ(skier->actor, nullptr);
    EXPECT_EQ(world->physics->getActors(true).size(), 1u);
    // It still gets its program, mesh, buffers and camera.
    EXPECT_EQ(skier->shader, world->findShader("cook_torrance"));
    EXPECT_EQ(skier->vertices.size(), world->geometry->skier.vertices.size());
    EXPECT_NE(skier->vao, 0u);
    EXPECT_EQ(skier->camera, world->camera);
}

TEST_F(Spawning, MissingProgramLeavesTheObjectOut)
{
    auto rock = std::make_shared<Rock>();
    testing::internal::CaptureStderr();
    world->initGameObject(rock, world->geometry->rock.vertices, world->geometry->rock.indices,
                          world->geometry->rock.extents, 1, false, "no such program");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no shader found for gameObject\n");
    EXPECT_TRUE(world->objects.empty());
    EXPECT_FALSE(rock->shader);
    EXPECT_EQ(rock->actor, nullptr);
}

// A missing material leaves the obstacle out but draws the same numbers, so the rest of the run
// is placed as it would have been.
TEST_F(Spawning, MissingMaterialLeavesTheObstacleOutAndKeepsTheDraws)
{
    world->spawnObstacles(3, 1);
    const std::mt19937 withMaterial = randomEngine;

    remakeWorld();
    world->materials->erase("snow");
    testing::internal::CaptureStderr();
    world->spawnObstacles(3, 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(world->objects.empty());
    EXPECT_EQ(randomEngine, withMaterial);
    EXPECT_NE(err.find("\"snow\""), std::string::npos) << err;
}

}
