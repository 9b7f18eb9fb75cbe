#include "tests/support/PhysicsScene.h"
#include "world/physics/HeightField.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// A flat field with a few samples that tell rows from columns.
std::int16_t landmarks(int r, int c)
{
    if (r == 3 && c == 7) {
        return 300;
    }
    if (r == 7 && c == 3) {
        return 120;
    }
    if (r == 64 && c == 100) {
        return -50;
    }
    if (r == 126 && c == 1) {
        return 777;
    }
    // On the last row and the last column, where the field ends.
    if (r == 127 && c == 40) {
        return 250;
    }
    if (r == 60 && c == 127) {
        return 90;
    }
    if (r == 127 && c == 127) {
        return 33;
    }
    return 0;
}

TEST(HeightField, SampleStandsOnItsGridPoint)
{
    PhysicsScene scene;
    scene.addHeightField(landmarks);
    struct Sample {
        int r;
        int c;
        float height;
    };
    const Sample samples[] = {{3, 7, 300.0f},   {7, 3, 120.0f},   {64, 100, -50.0f},  {126, 1, 777.0f},
                              {0, 0, 0.0f},     {120, 126, 0.0f}, {4, 7, 0.0f},       {127, 40, 250.0f},
                              {127, 41, 0.0f},  {60, 127, 90.0f}, {0, 127, 0.0f},     {127, 0, 0.0f},
                              {127, 127, 33.0f}};
    for (const Sample& s : samples) {
        EXPECT_NEAR(scene.surfaceAt(sampleX(s.r), sampleZ(s.c)), s.height, 5e-3f) << "sample " << s.r << ", " << s.c;
    }
    // Every sample of the far row and column, where the field ends exactly under the ray.
    for (int k = 0; k < 128; ++k) {
        EXPECT_NEAR(scene.surfaceAt(sampleX(127), sampleZ(k)), landmarks(127, k), 5e-3f) << "sample 127, " << k;
        EXPECT_NEAR(scene.surfaceAt(sampleX(k), sampleZ(127)), landmarks(k, 127), 5e-3f) << "sample " << k << ", 127";
    }
}

TEST(HeightField, SpansTheSlopeFromItsCorner)
{
    PhysicsScene scene;
    physics::RigidStatic* actor = scene.addHeightField(landmarks);
    glm::vec3 lower;
    glm::vec3 upper;
    actor->getBounds(lower, upper);
    EXPECT_EQ(lower, glm::vec3(-3200.0f, -50.0f, -3200.0f));
    EXPECT_EQ(upper, glm::vec3(3150.0f, 777.0f, 3150.0f));
    EXPECT_EQ(actor->getGlobalPose().p, glm::vec3(-3200.0f, 0.0f, -3200.0f));
    EXPECT_EQ(actor->getNbShapes(), 1u);
    EXPECT_EQ(actor->getContactOffset(), 0.01f);
    ASSERT_NE(actor->getHeightFieldGeometry(), nullptr);
    const physics::HeightField& field = *actor->getHeightFieldGeometry()->heightField;
    EXPECT_EQ(field.getNbRows(), 128u);
    EXPECT_EQ(field.getNbColumns(), 128u);
    EXPECT_EQ(field.getHeight(3, 7), 300);
    EXPECT_EQ(field.getHeight(7, 3), 120);
}

// Sample (3, 7) alone is raised. With the tessellation flag clear a cell's diagonal runs from
// (r, c + 1) to (r + 1, c), so the middle of cell (3, 7) lies on a diagonal between two zeros and
// the middle of cell (2, 7) halfway up to the raised sample; with the flag set it is the other way.
struct DiagonalCase {
    const char* name;
    std::uint8_t flags;
    float middleOfCell37;
    float middleOfCell27;
};

void PrintTo(const DiagonalCase& c, std::ostream* os)
{
    *os << c.name;
}

class Diagonal : public ::testing::TestWithParam<DiagonalCase> {};

TEST_P(Diagonal, FollowsTheTessellationFlag)
{
    const DiagonalCase& c = GetParam();
    PhysicsScene scene;
    scene.addHeightField(landmarks, c.flags);
    EXPECT_NEAR(scene.surfaceAt(sampleX(3) + 25.0f, sampleZ(7) + 25.0f), c.middleOfCell37, 5e-3f);
    EXPECT_NEAR(scene.surfaceAt(sampleX(2) + 25.0f, sampleZ(7) + 25.0f), c.middleOfCell27, 5e-3f);
}

INSTANTIATE_TEST_SUITE_P(Flags, Diagonal,
                         ::testing::Values(DiagonalCase{"FlagClear", 0x00, 0.0f, 150.0f},
                                           DiagonalCase{"FlagSet", 0x80, 150.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HeightField, HitNamesTheCellsTriangle)
{
    PhysicsScene scene;
    physics::RigidStatic* actor = scene.addHeightField(landmarks);
    const unsigned cell = 3 * 128 + 7;
    physics::RaycastHit hit;
    ASSERT_TRUE(scene.world.raycast(glm::vec3(sampleX(3) + 10.0f, 1000.0f, sampleZ(7) + 10.0f),
                                    glm::vec3(0.0f, -1.0f, 0.0f), 2000.0f, hit));
    EXPECT_EQ(hit.actor, actor);
    EXPECT_EQ(hit.faceIndex, 2 * cell);
    ASSERT_TRUE(scene.world.raycast(glm::vec3(sampleX(3) + 40.0f, 1000.0f, sampleZ(7) + 40.0f),
                                    glm::vec3(0.0f, -1.0f, 0.0f), 2000.0f, hit));
    EXPECT_EQ(hit.faceIndex, 2 * cell + 1);
}

// A gentle incline rising along both x and z.
std::int16_t incline(int r, int c)
{
    return std::int16_t(r + 2 * c);
}

struct RestCase {
    const char* name;
    glm::vec3 halfExtents;
    // The centre of mass in the actor's frame; the objects put it at (-x/2, -z/2, -y/2) of their size.
    glm::vec3 centreOfMass;
    // A box whose centre of mass is its corner balances on that corner and keeps rocking slowly.
    bool sleeps;
};

void PrintTo(const RestCase& c, std::ostream* os)
{
    *os << c.name;
}

class Resting : public ::testing::TestWithParam<RestCase> {};

TEST_P(Resting, DroppedBoxComesToRestOnTheSampledSurface)
{
    const RestCase& c = GetParam();
    PhysicsScene scene;
    scene.addHeightField(incline);
    const float x = sampleX(40) + 20.0f;
    const float z = sampleZ(50) + 10.0f;
    physics::RigidDynamic* box = scene.addBox(glm::vec3(x, scene.surfaceAt(x, z) + 10.0f, z), c.halfExtents);
    physics::Transform centreOfMass;
    centreOfMass.p = c.centreOfMass;
    box->setCMassLocalPose(centreOfMass);
    scene.step(900);
    // Neither sunk into the field nor held above it.
    const glm::vec3 corner = lowestCorner(*box);
    EXPECT_NEAR(corner.y, scene.surfaceAt(corner.x, corner.z), 0.05f);
    EXPECT_LT(glm::length(box->getLinearVelocity()), 0.1f);
    EXPECT_EQ(box->isSleeping(), c.sleeps);
}

INSTANTIATE_TEST_SUITE_P(Boxes, Resting,
                         ::testing::Values(RestCase{"Skier", glm::vec3(1.35f), glm::vec3(0.0f), true},
                                           RestCase{"RockWithMassAtItsCorner", glm::vec3(2.05f), glm::vec3(-2.05f),
                                                    false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A plane falling towards +x by `rise` units per row, down to a flat floor from row 60 on. The
// shared material's friction is 0.75 on both sides, so a pair holds below a grade of 0.75 (averaged),
// and would slide from 0.5625 (multiplied, Bullet's own rule).
struct SlopeCase {
    const char* name;
    int rise;
    bool slides;
};

void PrintTo(const SlopeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Slope : public ::testing::TestWithParam<SlopeCase> {};

TEST_P(Slope, BoxSlidesOnlyWhenSteeperThanItsFriction)
{
    const SlopeCase& c = GetParam();
    PhysicsScene scene;
    scene.addHeightField([&](int r, int) { return std::int16_t(r < 60 ? c.rise * (60 - r) : 0); });
    const float grade = float(c.rise) / 50.0f;
    const glm::vec3 normal = glm::normalize(glm::vec3(grade, 1.0f, 0.0f));
    const float x = sampleX(58) + 25.0f;
    const float z = sampleZ(64) + 25.0f;
    const glm::vec3 start = glm::vec3(x, scene.surfaceAt(x, z), z) + normal * 1.36f;
    physics::RigidDynamic* box = scene.addBox(start, glm::vec3(1.35f));
    physics::Transform onSlope;
    onSlope.p = start;
    onSlope.q = glm::angleAxis(-std::atan(grade), glm::vec3(0.0f, 0.0f, 1.0f));
    box->setGlobalPose(onSlope);
    scene.step(1200);
    const glm::vec3 end = box->getGlobalPose().p;
    if (c.slides) {
        // Down past the foot of the slope, then stopped by friction on the flat.
        EXPECT_GT(end.x, sampleX(60) + 1.35f);
        EXPECT_LT(end.x, sampleX(60) + 200.0f);
        EXPECT_NEAR(lowestCorner(*box).y, 0.0f, 0.05f);
        EXPECT_LT(glm::length(box->getLinearVelocity()), 0.1f);
    } else {
        EXPECT_LT(glm::length(end - start), 0.5f);
    }
}

INSTANTIATE_TEST_SUITE_P(Grades, Slope,
                         ::testing::Values(SlopeCase{"SteeperThanFriction", 50, true},
                                           SlopeCase{"GentlerThanAveragedFriction", 30, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}
