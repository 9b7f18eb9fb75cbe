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
    EXPECT_NEAR(scene.clearance(*box), 0.0f, 0.05f);
    EXPECT_LT(glm::length(box->getLinearVelocity()), 0.1f);
    // A full contact patch settles even a box whose centre of mass is its corner, balanced on it.
    EXPECT_TRUE(box->isSleeping());
}

INSTANTIATE_TEST_SUITE_P(Boxes, Resting,
                         ::testing::Values(RestCase{"Skier", glm::vec3(1.35f), glm::vec3(0.0f)},
                                           RestCase{"RockWithMassAtItsCorner", glm::vec3(2.05f), glm::vec3(-2.05f)}),
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


// Rolling ground like the run's slope: a fall along x with bumps across it.
std::int16_t rollingGround(int r, int c)
{
    return std::int16_t(60.0f - 0.3f * float(r) + 12.0f * std::sin(0.37f * float(c)) * std::sin(0.29f * float(r)));
}

// The run's bodies as the objects build them: a box of the object's size, its centre of mass at
// (-x/2, -z/2, -y/2) of that size (outside the box for these), and its type as dominance group.
struct LandingBody {
    const char* name;
    glm::vec3 size;
    std::uint8_t group;
    // How far a corner may end inside the surface. Bullet keeps four points of a box on the field
    // and drops those deeper than its distance search found, so a box a few units long can come to
    // rest a little tilted into the ground.
    float sink;
};

struct LandingCase {
    LandingBody body;
    bool cornerFirst;
    float speed;
};

void PrintTo(const LandingCase& c, std::ostream* os)
{
    *os << c.body.name << (c.cornerFirst ? " corner first" : " flat") << " at " << c.speed;
}

class Landing : public ::testing::TestWithParam<LandingCase> {};

TEST_P(Landing, BoxLandingOnTheSlopeStopsAndRestsAboveIt)
{
    const LandingCase& c = GetParam();
    const glm::vec3 half = c.body.size * 0.5f;
    const glm::quat attitude = c.cornerFirst ? glm::angleAxis(0.6155f, glm::vec3(1.0f, 0.0f, 0.0f)) *
                                                   glm::angleAxis(0.7854f, glm::vec3(0.0f, 0.0f, 1.0f))
                                             : glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    // Spots across a cell: near a sample, on the diagonal, inside either triangle.
    const glm::vec2 spots[] = {{3.0f, 4.0f}, {25.0f, 25.0f}, {12.0f, 31.0f}, {40.0f, 9.0f}, {47.0f, 44.0f}};
    // The same field alone, to measure against: a ray from below would meet a box sunk through it.
    PhysicsScene reference;
    reference.addHeightField(rollingGround);
    int spot = 0;
    for (const glm::vec2& offset : spots) {
        PhysicsScene scene;
        scene.addHeightField(rollingGround);
        const float x = sampleX(40 + 7 * spot) + offset.x;
        const float z = sampleZ(30 + 5 * spot) + offset.y;
        ++spot;
        const float ground = reference.surfaceAt(x, z);
        physics::RigidDynamic* box = scene.addBox(glm::vec3(x, ground + 20.0f, z), half, c.body.group);
        physics::Transform centreOfMass;
        centreOfMass.p = glm::vec3(-half.x, -half.z, -half.y);
        box->setCMassLocalPose(centreOfMass);
        physics::Transform start;
        start.q = attitude;
        start.p = glm::vec3(x, ground + 20.0f, z);
        box->setGlobalPose(start);
        // Its lowest point half a unit above the ground.
        start.p.y += ground + 0.5f - lowestCorner(*box).y;
        box->setGlobalPose(start);
        box->setLinearVelocity(glm::vec3(0.0f, -c.speed, 0.0f));
        scene.step(240);
        const glm::vec3 centre = box->getGlobalPose().p;
        EXPECT_GT(centre.y, reference.surfaceAt(centre.x, centre.z)) << "spot " << spot;
        EXPECT_GT(reference.clearance(*box), -c.body.sink) << "spot " << spot;
        EXPECT_LT(glm::length(box->getLinearVelocity()), 0.5f) << "spot " << spot;
        EXPECT_LT(glm::length(box->getAngularVelocity()), 0.5f) << "spot " << spot;
    }
}

// Sizes the run's spawners give them. A body the far rule puts back lands from 50 above (about 45
// units/s); a skier thrown up by the burst comes down at up to 75.
const LandingBody kRock{"Rock", glm::vec3(5.97f, 2.58f, 4.64f), 1, 0.1f};
const LandingBody kSkier{"Skier", glm::vec3(1.61f, 3.56f, 3.36f), 2, 0.1f};
const LandingBody kChaser{"Chaser", glm::vec3(4.69f, 10.39f, 9.81f), 2, 0.3f};

INSTANTIATE_TEST_SUITE_P(
    RunsBodies, Landing,
    ::testing::Values(LandingCase{kRock, false, 44.0f}, LandingCase{kRock, true, 44.0f}, LandingCase{kRock, false, 75.0f},
                      LandingCase{kRock, true, 75.0f}, LandingCase{kSkier, false, 44.0f},
                      LandingCase{kSkier, true, 44.0f}, LandingCase{kSkier, false, 75.0f},
                      LandingCase{kSkier, true, 75.0f}, LandingCase{kChaser, false, 44.0f},
                      LandingCase{kChaser, true, 44.0f}),
    [](const auto& info) {
        const LandingCase& c = info.param;
        return std::string(c.body.name) + (c.cornerFirst ? "CornerFirst" : "Flat") + "At" +
               std::to_string(int(c.speed));
    });
}
