#include "tests/support/PhysicsScene.h"
#include "world/physics/BoxController.h"
#include "world/physics/BoxControllerDesc.h"
#include "world/physics/ControllerHitReport.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/TriangleMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

struct HitRecorder : physics::ControllerHitReport {
    void onShapeHit(const physics::ControllerShapeHit& hit) override
    {
        shapes.push_back(hit);
        groups.push_back(hit.actor->getDominanceGroup());
    }
    void onControllerHit(const physics::ControllersHit&) override { ++controllers; }
    void onObstacleHit(const physics::ControllerObstacleHit&) override { ++obstacles; }

    std::vector<physics::ControllerShapeHit> shapes;
    std::vector<int> groups;
    int controllers = 0;
    int obstacles = 0;
};

// The player's description: a box of half extents (0.5, 1, 0.5) and the values the player sets.
physics::BoxControllerDesc playerDesc(const physics::PhysicsMaterial* material, physics::ControllerHitReport* report = nullptr)
{
    physics::BoxControllerDesc desc;
    desc.position = glm::dvec3(10.0, 20.0, 30.0);
    desc.material = material;
    desc.density = 100.0f;
    desc.halfHeight = 1.0f;
    desc.halfSideExtent = 0.5f;
    desc.halfForwardExtent = 0.5f;
    desc.contactOffset = 0.02f;
    desc.slopeLimit = 0.2f;
    desc.stepOffset = 0.75f;
    desc.reportCallback = report;
    return desc;
}

struct DescCase {
    const char* name;
    std::function<void(physics::BoxControllerDesc&)> change;
    bool valid;
};

void PrintTo(const DescCase& c, std::ostream* os)
{
    *os << c.name;
}

class Description : public ::testing::TestWithParam<DescCase> {};

TEST_P(Description, MakesAControllerOnlyWhenValid)
{
    const DescCase& c = GetParam();
    PhysicsScene scene;
    physics::BoxControllerDesc desc = playerDesc(scene.material);
    c.change(desc);
    EXPECT_EQ(desc.isValid(), c.valid);
    EXPECT_EQ(scene.world.createController(desc) != nullptr, c.valid);
    EXPECT_EQ(scene.world.getActors(true).size(), c.valid ? 1u : 0u);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const DescCase kDescriptions[] = {
    {"PlayersValues", [](auto&) {}, true},
    {"StepOffsetTwiceTheHalfHeight", [](auto& d) { d.stepOffset = 2.0f; }, true},
    {"StepOffsetAboveTwiceTheHalfHeight", [](auto& d) { d.halfHeight = 0.37f; }, false},
    {"ZeroHalfHeight", [](auto& d) { d.halfHeight = 0.0f; }, false},
    {"ZeroHalfSideExtent", [](auto& d) { d.halfSideExtent = 0.0f; }, false},
    {"NegativeHalfForwardExtent", [](auto& d) { d.halfForwardExtent = -1.0f; }, false},
    {"NegativeDensity", [](auto& d) { d.density = -1.0f; }, false},
    {"ZeroDensity", [](auto& d) { d.density = 0.0f; }, true},
    {"NegativeSlopeLimit", [](auto& d) { d.slopeLimit = -0.1f; }, false},
    {"NegativeStepOffset", [](auto& d) { d.stepOffset = -0.1f; }, false},
    {"ZeroContactOffset", [](auto& d) { d.contactOffset = 0.0f; }, false},
    {"NegativeScaleCoeff", [](auto& d) { d.scaleCoeff = -0.1f; }, false},
    {"VolumeGrowthBelowOne", [](auto& d) { d.volumeGrowth = 0.99f; }, false},
    {"VolumeGrowthOne", [](auto& d) { d.volumeGrowth = 1.0f; }, true},
    {"NoMaterial", [](auto& d) { d.material = nullptr; }, false},
    {"PositionNotFinite", [](auto& d) { d.position.y = std::numeric_limits<double>::infinity(); }, false},
    {"PositionNaN", [](auto& d) { d.position.x = std::nan(""); }, false},
    {"HalfHeightNaN", [](auto& d) { d.halfHeight = kNaN; }, false},
    {"NoUpDirection", [](auto& d) { d.upDirection = glm::vec3(0.0f); }, false},
};

INSTANTIATE_TEST_SUITE_P(Rules, Description, ::testing::ValuesIn(kDescriptions),
                         [](const auto& info) { return std::string(info.param.name); });

void expectBounds(const physics::RigidActor& actor, const glm::vec3& centre, const glm::vec3& half)
{
    glm::vec3 lower;
    glm::vec3 upper;
    actor.getBounds(lower, upper);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(lower[i], centre[i] - half[i], 1e-4f) << "axis " << i;
        EXPECT_NEAR(upper[i], centre[i] + half[i], 1e-4f) << "axis " << i;
    }
}

TEST(BoxController, ProxyStandsInTheSceneAtFourFifthsOfTheBox)
{
    PhysicsScene scene;
    physics::BoxController* controller = scene.world.createController(playerDesc(scene.material));
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->getPosition(), glm::dvec3(10.0, 20.0, 30.0));
    EXPECT_NEAR(controller->getFootPosition().y, 20.0 - 1.02, 1e-6);
    EXPECT_EQ(controller->getDensity(), 100.0f);
    EXPECT_EQ(controller->getContactOffset(), 0.02f);
    EXPECT_EQ(controller->getSlopeLimit(), 0.2f);
    EXPECT_EQ(controller->getStepOffset(), 0.75f);
    EXPECT_EQ(controller->getMaterial(), scene.material);

    physics::RigidDynamic* proxy = controller->getActor();
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(scene.world.getActors(true), std::vector<physics::RigidActor*>{proxy});
    // Up is +y, so the box's half height lies along y and its side extent along x.
    expectBounds(*proxy, glm::vec3(10.0f, 20.0f, 30.0f), 0.8f * glm::vec3(0.5f, 1.0f, 0.5f));
    // Kinematic: gravity does not move it.
    scene.step(30);
    expectBounds(*proxy, glm::vec3(10.0f, 20.0f, 30.0f), 0.8f * glm::vec3(0.5f, 1.0f, 0.5f));
}

struct ResizeCase {
    const char* name;
    bool (physics::BoxController::*set)(float);
    float (physics::BoxController::*get)() const;
    // Which of the world's half extents (x side, y height, z forward) follows.
    int axis;
};

void PrintTo(const ResizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Resize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(Resize, ResizesTheBoxAndProxyAndRefusesNonPositiveSizes)
{
    const ResizeCase& c = GetParam();
    PhysicsScene scene;
    physics::BoxController* controller = scene.world.createController(playerDesc(scene.material));
    glm::vec3 half(0.5f, 1.0f, 0.5f);
    EXPECT_TRUE((controller->*c.set)(2.0f));
    EXPECT_EQ((controller->*c.get)(), 2.0f);
    half[c.axis] = 2.0f;
    expectBounds(*controller->getActor(), glm::vec3(10.0f, 20.0f, 30.0f), 0.8f * half);
    for (float refused : {0.0f, -1.0f, kNaN}) {
        EXPECT_FALSE((controller->*c.set)(refused)) << refused;
        EXPECT_EQ((controller->*c.get)(), 2.0f);
    }
    expectBounds(*controller->getActor(), glm::vec3(10.0f, 20.0f, 30.0f), 0.8f * half);
    EXPECT_EQ(controller->getPosition(), glm::dvec3(10.0, 20.0, 30.0));
}

INSTANTIATE_TEST_SUITE_P(
    Setters, Resize,
    ::testing::Values(
        ResizeCase{"HalfHeight", &physics::BoxController::setHalfHeight, &physics::BoxController::getHalfHeight, 1},
        ResizeCase{"HalfSideExtent", &physics::BoxController::setHalfSideExtent,
                   &physics::BoxController::getHalfSideExtent, 0},
        ResizeCase{"HalfForwardExtent", &physics::BoxController::setHalfForwardExtent,
                   &physics::BoxController::getHalfForwardExtent, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A slope falling along x by one unit per ten, its contour lines along z.
std::int16_t slope(int r, int)
{
    return std::int16_t(640 - 5 * r);
}

TEST(BoxController, MoveIntoABoxOnTheSlopeReportsItAndStopsShortByTheContactOffset)
{
    PhysicsScene scene;
    scene.addHeightField(slope);
    const float x = sampleX(64) + 25.0f;
    const float z = sampleZ(64) + 25.0f;
    const float ground = scene.surfaceAt(x, z);
    // Laid on the slope square to it, so that its face towards the controller stays across z.
    const glm::vec3 normal = glm::normalize(glm::vec3(0.1f, 1.0f, 0.0f));
    physics::RigidDynamic* skier = scene.addBox(glm::vec3(x, ground, z + 6.0f) + normal * 1.36f, glm::vec3(1.35f), 2);
    physics::Transform onSlope = skier->getGlobalPose();
    onSlope.q = glm::angleAxis(-std::atan(0.1f), glm::vec3(0.0f, 0.0f, 1.0f));
    skier->setGlobalPose(onSlope);
    scene.step(120);
    ASSERT_TRUE(skier->isSleeping());
    const float skierFace = skier->getGlobalPose().p.z - 1.35f;

    HitRecorder hits;
    physics::BoxControllerDesc desc = playerDesc(scene.material, &hits);
    desc.position = glm::dvec3(x, ground + 1.6, z);
    physics::BoxController* controller = scene.world.createController(desc);
    const unsigned flags = controller->move(glm::vec3(0.0f, 0.0f, 10.0f), 0.001f, kStep);

    EXPECT_NE(flags & physics::collisionflags::sides, 0u);
    ASSERT_FALSE(hits.shapes.empty());
    const auto touched = std::find_if(hits.shapes.begin(), hits.shapes.end(),
                                      [&](const physics::ControllerShapeHit& hit) { return hit.actor == skier; });
    ASSERT_NE(touched, hits.shapes.end());
    EXPECT_EQ(hits.groups[std::size_t(touched - hits.shapes.begin())], 2);
    EXPECT_EQ(touched->controller, controller);
    EXPECT_NEAR(touched->worldNormal.z, -1.0f, 1e-3f);
    EXPECT_EQ(touched->dir, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(controller->getPosition().z + 0.5, skierFace - 0.02, 2e-3);
}

TEST(BoxController, DownPassLandsOnTheHeightField)
{
    PhysicsScene scene;
    physics::RigidStatic* field = scene.addHeightField(slope);
    HitRecorder hits;
    physics::BoxControllerDesc desc = playerDesc(scene.material, &hits);
    const float x = sampleX(40) + 10.0f;
    const float z = sampleZ(90) + 10.0f;
    desc.position = glm::dvec3(x, 600.0, z);
    physics::BoxController* controller = scene.world.createController(desc);
    const unsigned flags = controller->move(glm::vec3(0.0f, -500.0f, 0.0f), 0.001f, kStep);

    EXPECT_EQ(flags, physics::collisionflags::down);
    // The slope falls along +x, so the box's uphill edge touches first; Bullet rounds a box's edges
    // by its margin (0.04), which lets it settle a few millimetres lower on a slope.
    const float surface = scene.surfaceAt(x - 0.5f, z);
    EXPECT_NEAR(controller->getPosition().y - 1.0 - 0.02, surface, 5e-3);
    ASSERT_EQ(hits.shapes.size(), 1u);
    EXPECT_EQ(hits.shapes[0].actor, field);
    EXPECT_EQ(hits.groups[0], 0);
    EXPECT_EQ(hits.shapes[0].triangleIndex, 2u * (40u * 128u + 90u));
}

TEST(BoxController, MoveShorterThanTheMinimumDistanceStaysPut)
{
    PhysicsScene scene;
    HitRecorder hits;
    physics::BoxController* controller = scene.world.createController(playerDesc(scene.material, &hits));
    EXPECT_EQ(controller->move(glm::vec3(0.0f, -0.1f, 0.0f), 0.2f, kStep), 0u);
    EXPECT_EQ(controller->getPosition(), glm::dvec3(10.0, 20.0, 30.0));
    controller->move(glm::vec3(0.0f, -0.3f, 0.0f), 0.2f, kStep);
    EXPECT_NEAR(controller->getPosition().y, 19.7, 1e-6);
    EXPECT_TRUE(hits.shapes.empty());
}

// A wall across x at 3: moving diagonally into it stops the motion contactOffset short of it along
// the way it was going, then slides on along z. Bullet's sweeps against triangles come within a
// few millimetres.
TEST(BoxController, SlidesAlongWhatItHits)
{
    PhysicsScene scene;
    physics::TriangleMeshDesc wall;
    wall.points = {glm::vec3(3.0f, -50.0f, -50.0f), glm::vec3(3.0f, 50.0f, -50.0f), glm::vec3(3.0f, 50.0f, 50.0f),
                   glm::vec3(3.0f, -50.0f, 50.0f)};
    wall.triangles = {0, 1, 2, 0, 2, 3};
    physics::RigidStatic* actor = scene.world.createRigidStatic(physics::Transform());
    actor->attachTriangleMesh(*scene.world.createTriangleMesh(wall), *scene.material);
    scene.world.addActor(*actor);
    HitRecorder hits;
    physics::BoxControllerDesc desc = playerDesc(scene.material, &hits);
    desc.position = glm::dvec3(0.0);
    physics::BoxController* controller = scene.world.createController(desc);
    controller->move(glm::vec3(5.0f, 0.0f, 5.0f), 0.001f, kStep);
    EXPECT_NEAR(controller->getPosition().x, 3.0 - 0.5 - 0.02 * std::sqrt(0.5), 5e-3);
    EXPECT_NEAR(controller->getPosition().z, 5.0, 5e-3);
    EXPECT_NEAR(controller->getPosition().y, 0.0, 1e-3);
    ASSERT_FALSE(hits.shapes.empty());
    EXPECT_EQ(hits.shapes[0].actor, actor);
}

// The sweeps leave dynamic shapes out here, so the controller walks into the box and its hidden
// body pushes the box along at the next step.
TEST(BoxController, ProxyPushesDynamicBodies)
{
    PhysicsScene scene(glm::vec3(0.0f));
    physics::BoxControllerDesc desc = playerDesc(scene.material);
    desc.position = glm::dvec3(0.0);
    physics::BoxController* controller = scene.world.createController(desc);
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 0.0f, 2.0f), glm::vec3(1.0f));
    physics::ControllerFilters staticOnly;
    staticOnly.dynamicShapes = false;
    for (int i = 0; i < 10; ++i) {
        controller->move(glm::vec3(0.0f, 0.0f, 0.2f), 0.001f, kStep, staticOnly);
        scene.step();
    }
    EXPECT_NEAR(controller->getActor()->getGlobalPose().p.z, 2.0f, 1e-5f);
    EXPECT_GT(box->getGlobalPose().p.z, 2.4f);
    EXPECT_GT(box->getLinearVelocity().z, 1.0f);
}

// Another controller is met through its hidden body and reported as a controller, not a shape.
TEST(BoxController, ReportsAnotherControllerAsAController)
{
    PhysicsScene scene(glm::vec3(0.0f));
    HitRecorder hits;
    physics::BoxControllerDesc desc = playerDesc(scene.material, &hits);
    desc.position = glm::dvec3(0.0);
    physics::BoxController* mover = scene.world.createController(desc);
    desc.position = glm::dvec3(0.0, 0.0, 3.0);
    desc.reportCallback = nullptr;
    scene.world.createController(desc);
    mover->move(glm::vec3(0.0f, 0.0f, 5.0f), 0.001f, kStep);
    EXPECT_EQ(hits.controllers, 1);
    EXPECT_TRUE(hits.shapes.empty());
    EXPECT_LT(mover->getPosition().z, 3.0 - 0.8 * 0.5 - 0.5);
}

TEST(BoxController, DisplacementThatIsNotANumberMovesNothing)
{
    PhysicsScene scene;
    physics::BoxController* controller = scene.world.createController(playerDesc(scene.material));
    EXPECT_EQ(controller->move(glm::vec3(0.0f, kNaN, 1.0f), 0.001f, kStep), 0u);
    EXPECT_EQ(controller->getPosition(), glm::dvec3(10.0, 20.0, 30.0));
}

}
