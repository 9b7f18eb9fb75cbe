#include "app/Globals.h"
#include "world/Camera.h"
#include "world/Player.h"
#include "world/Terrain.h"
#include "world/physics/BoxController.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

void expectVec3(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

TEST(PlayerAlone, StartsFacingDownTheSlopeAtWalkingSpeed)
{
    Player player;
    expectVec3(player.front, glm::vec3(0.0f, 0.0f, -1.0f));
    expectVec3(player.right, glm::vec3(1.0f, 0.0f, 0.0f));
    expectVec3(player.up, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(player.yaw, -90.0f);
    EXPECT_EQ(player.pitch, 0.0f);
    EXPECT_EQ(player.hitCounter, 0);
    EXPECT_EQ(player.speed, 2.0f);
    EXPECT_EQ(player.GameObject::scale, 1.0f);
    EXPECT_EQ(player.controller, nullptr);
    EXPECT_EQ(player.actor, nullptr);
    EXPECT_EQ(player.modelFile, "/TestSkier.obj");
}

TEST(PlayerAlone, CameraStandsBehindAndAboveLookingAtThePlayer)
{
    Player player;
    player.camera = std::make_shared<Camera>();
    player.position = glm::vec3(3.0f, 40.0f, -7.0f);
    player.updateCamera();
    const Camera& camera = *player.camera;
    expectVec3(camera.position, player.position + glm::vec3(0.0f, 15.0f, 100.0f), 1e-4f);
    EXPECT_EQ(camera.yaw, -90.0f);
    EXPECT_EQ(camera.pitch, 0.0f);
    expectVec3(camera.front, glm::normalize(glm::vec3(0.0f, -15.0f, -100.0f)));
    EXPECT_NEAR(glm::dot(camera.up, camera.front), 0.0f, 1e-6f);
    EXPECT_GT(camera.up.y, 0.98f);
}

TEST(PlayerAlone, ControllerDescriptionTakesThePlayersBoxAndKeepsTheRestDefault)
{
    Player player;
    player.position = glm::vec3(1.0f, 2.0f, 3.0f);
    player.extents = glm::vec3(0.6f, 1.8f, 0.4f);
    player.updateModelMatrix();
    physics::PhysicsMaterial material;
    physics::BoxControllerDesc desc;
    desc.maxJumpHeight = 7.0f;
    physics::BoxControllerDesc& filled = player.makeControllerDesc(desc, &material);
    EXPECT_EQ(&filled, &desc);
    EXPECT_EQ(desc.position, glm::dvec3(1.0, 2.0, 3.0));
    EXPECT_EQ(desc.material, &material);
    EXPECT_EQ(desc.density, 100.0f);
    EXPECT_FLOAT_EQ(desc.halfHeight, 0.9f);
    EXPECT_FLOAT_EQ(desc.halfSideExtent, 0.3f);
    EXPECT_FLOAT_EQ(desc.halfForwardExtent, 0.2f);
    EXPECT_EQ(desc.reportCallback, static_cast<physics::ControllerHitReport*>(&player));
    EXPECT_EQ(desc.contactOffset, 0.02f);
    EXPECT_EQ(desc.slopeLimit, 0.2f);
    EXPECT_EQ(desc.stepOffset, 0.75f);
    // Everything else is a fresh description's.
    EXPECT_EQ(desc.maxJumpHeight, 0.0f);
    EXPECT_EQ(desc.upDirection, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(desc.invisibleWallHeight, 0.0f);
    EXPECT_EQ(desc.scaleCoeff, 0.8f);
    EXPECT_EQ(desc.volumeGrowth, 1.5f);
    EXPECT_EQ(desc.nonWalkableMode, physics::NonWalkableMode::PreventClimbing);
    EXPECT_TRUE(desc.isValid());
}

struct RotateCase {
    float startPitch;
    float yoffset;
    bool constrained;
    float pitch;
};

class PlayerRotate : public ::testing::TestWithParam<RotateCase> {};

TEST_P(PlayerRotate, PitchIsHeldOrWrappedAndTheCameraFollows)
{
    const RotateCase& c = GetParam();
    Player player;
    player.camera = std::make_shared<Camera>();
    player.pitch = c.startPitch;
    player.rotate(30.0f, c.yoffset, c.constrained);
    EXPECT_FLOAT_EQ(player.yaw, -87.0f);
    EXPECT_FLOAT_EQ(player.pitch, c.pitch);
    EXPECT_EQ(player.camera->yaw, player.yaw);
    EXPECT_EQ(player.camera->pitch, player.pitch);
    expectVec3(player.camera->position, player.position - 100.0f * player.front + 15.0f * player.up, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Offsets, PlayerRotate,
                         ::testing::Values(RotateCase{0.0f, 50.0f, true, 5.0f}, RotateCase{0.0f, 200.0f, true, 10.0f},
                                           RotateCase{0.0f, -500.0f, true, -40.0f},
                                           RotateCase{170.0f, 150.0f, false, 0.0f},
                                           RotateCase{-170.0f, -150.0f, false, 0.0f},
                                           RotateCase{100.0f, 200.0f, false, 120.0f}));

// A player on the generated slope with its controller, and a rock and a skier body to be hit by.
class PlayerHits : public ::testing::Test {
protected:
    void SetUp() override
    {
        randomEngine.seed(5489u);
        terrain = std::make_shared<Terrain>();
        player = std::make_shared<Player>();
        player->terrain = terrain;
        player->position = terrain->halfExtents;
        player->extents = glm::vec3(0.6f, 1.8f, 0.5f);
        player->updateModelMatrix();
        physics::BoxControllerDesc desc;
        player->controller = world.createController(player->makeControllerDesc(desc, material));
        ASSERT_NE(player->controller, nullptr);
        rock = makeBody(1);
        skier = makeBody(2);
        ground = makeBody(0);
    }

    physics::RigidDynamic* makeBody(std::uint8_t group)
    {
        physics::Transform pose;
        pose.p = player->position + glm::vec3(5.0f * group, 0.0f, -5.0f);
        physics::RigidDynamic* body = world.createRigidDynamic(pose);
        body->attachBox(glm::vec3(1.0f), *material);
        body->setDominanceGroup(group);
        world.addActor(*body);
        return body;
    }

    physics::ControllerShapeHit hitOn(physics::RigidActor* actor) const
    {
        physics::ControllerShapeHit hit;
        hit.controller = player->controller;
        hit.actor = actor;
        return hit;
    }

    // The run's gravity, so that a body thrown back falls.
    physics::PhysicsWorld world{physics::SceneDesc{glm::vec3(0.0f, -20.0f, 0.0f)}};
    physics::PhysicsMaterial* material = world.createMaterial(0.75f, 0.75f, 0.0001f);
    std::shared_ptr<Terrain> terrain;
    std::shared_ptr<Player> player;
    physics::RigidDynamic* rock = nullptr;
    physics::RigidDynamic* skier = nullptr;
    physics::RigidDynamic* ground = nullptr;
};

TEST_F(PlayerHits, RockThenSkierCancelOutInTheCounterButNotInSize)
{
    const float firstHalfHeight = player->controller->getHalfHeight();
    const glm::vec3 skierBefore = skier->getGlobalPose().p;

    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(rock));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "onShapeHit Type Rock 1\n");
    EXPECT_EQ(player->hitCounter, -1);
    EXPECT_FLOAT_EQ(player->speed, 1.8f);
    EXPECT_FLOAT_EQ(player->GameObject::scale, 0.9f);

    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(skier));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "onShapeHit Type Skier 2\n");
    EXPECT_EQ(player->hitCounter, 0);
    EXPECT_FLOAT_EQ(player->GameObject::scale, 0.9f * 1.05f);
    EXPECT_EQ(player->speed, static_cast<float>(static_cast<double>(1.8f) * 1.01));
    EXPECT_FLOAT_EQ(player->controller->getHalfHeight(), firstHalfHeight * 0.945f);
    EXPECT_FLOAT_EQ(player->controller->getHalfSideExtent(), 0.3f * 0.945f);
    EXPECT_FLOAT_EQ(player->controller->getHalfForwardExtent(), 0.25f * 0.945f);
    expectVec3(player->extents, glm::vec3(0.6f, 1.8f, 0.5f) * 0.945f);
    EXPECT_EQ(player->model[0][0], player->GameObject::scale);

    // The skier is thrown back to a point of the slope near the player; the rock stays.
    const glm::vec3 thrown = skier->getGlobalPose().p;
    EXPECT_NE(thrown, skierBefore);
    EXPECT_LE(std::abs(thrown.x), std::abs(player->position.x) + 200.0f);
    EXPECT_LE(std::abs(thrown.z), std::abs(player->position.z) + 200.0f);
    EXPECT_NEAR(thrown.y, terrain->getHeightAt(thrown.x, thrown.z) + 50.0f, 1e-3f);
    EXPECT_NEAR(rock->getGlobalPose().p.z, player->position.z - 5.0f, 1e-4f);
}

TEST_F(PlayerHits, GroundHitChangesNothingAndDrawsNoNumber)
{
    const std::mt19937 before = randomEngine;
    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(ground));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(randomEngine, before);
    EXPECT_EQ(player->hitCounter, 0);
    EXPECT_EQ(player->GameObject::scale, 1.0f);
    EXPECT_EQ(player->speed, 2.0f);
}

// The point for a thrown-back skier is drawn on a rock hit too, so the sequence does not depend on
// what was hit.
TEST_F(PlayerHits, RockHitDrawsTheSamePointASkierHitWould)
{
    std::mt19937 copy = randomEngine;
    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(rock));
    testing::internal::GetCapturedStdout();
    const std::mt19937 afterRock = randomEngine;
    EXPECT_NE(afterRock, copy);

    randomEngine = copy;
    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(skier));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(randomEngine, afterRock);
}

// A skier asleep on the slope wakes where it is thrown and falls on the next step.
TEST_F(PlayerHits, ThrownSkierWakesAndFallsOnTheNextStep)
{
    skier->putToSleep();
    ASSERT_TRUE(skier->isSleeping());
    testing::internal::CaptureStdout();
    player->onShapeHit(hitOn(skier));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(skier->isSleeping());
    const float thrownHeight = skier->getGlobalPose().p.y;
    world.simulate(1.0f / 60.0f);
    world.fetchResults(true);
    EXPECT_LT(skier->getGlobalPose().p.y, thrownHeight);
    EXPECT_LT(skier->getLinearVelocity().y, 0.0f);
}

// One move: the controller walks the box by dt x speed along the heading and 2 dt down, the player
// takes its place from the controller, and the camera follows.
struct MoveCase {
    const char* name;
    int direction;
    float alongFront;
    float alongRight;
};

void PrintTo(const MoveCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlayerMove : public PlayerHits, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(PlayerMove, ControllerCarriesThePlayerAndTheCameraFollows)
{
    const MoveCase& c = GetParam();
    player->camera = std::make_shared<Camera>();
    const glm::vec3 start = player->position;
    const float dt = 0.5f;
    const glm::vec3 expected = start + dt * player->speed * (c.alongFront * player->front + c.alongRight * player->right) +
                               glm::vec3(0.0f, -2.0f * dt, 0.0f);
    testing::internal::CaptureStdout();
    player->move(c.direction, dt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "nothing is in the way";
    EXPECT_EQ(player->position, glm::vec3(player->controller->getPosition()));
    expectVec3(player->position, expected, 1e-3f);
    EXPECT_EQ(glm::vec3(player->model[3]), player->position);
    expectVec3(player->camera->position, player->position - 100.0f * player->front + 15.0f * player->up, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(Directions, PlayerMove,
                         ::testing::Values(MoveCase{"Forward", 0, 1.0f, 0.0f}, MoveCase{"Back", 1, -1.0f, 0.0f},
                                           MoveCase{"Left", 2, 0.0f, -1.0f}, MoveCase{"Right", 3, 0.0f, 1.0f},
                                           MoveCase{"NoneButDown", 7, 0.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerHits, ControllerAndObstacleHitsOnlySayso)
{
    testing::internal::CaptureStdout();
    player->onControllerHit(physics::ControllersHit{});
    player->onObstacleHit(physics::ControllerObstacleHit{});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "onControllerHitonObstacleHit");
    EXPECT_EQ(player->hitCounter, 0);
}

}
