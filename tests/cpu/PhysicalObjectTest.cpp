#include "world/AvalancheBarrier.h"
#include "effects/Background.h"
#include "world/Crevasses.h"
#include "world/Rock.h"
#include "world/Skiguide.h"
#include "world/Skier.h"
#include "world/Skitourer.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace {

static_assert(std::is_abstract_v<Barriers> && std::is_abstract_v<SolidBarriers> && std::is_abstract_v<MoveableBarriers>,
              "the branches of the obstacle tree are never made");
static_assert(std::is_abstract_v<AvalancheBarrier> && std::is_abstract_v<Crevasses> &&
                  std::is_abstract_v<Skiguide> && std::is_abstract_v<Skitourer>,
              "obstacles without a mesh of their own cannot be made");
static_assert(!std::is_abstract_v<Rock> && !std::is_abstract_v<Skier>, "rocks and skiers are made by the run");
// Every obstacle reaches its dynamic object through the one virtual base.
static_assert(std::is_base_of_v<DynamicGameObject, Rock> && std::is_base_of_v<DynamicGameObject, Skier>);

class PhysicalObject : public ::testing::Test {
protected:
    physics::PhysicsWorld world{physics::SceneDesc{}};
    physics::PhysicsMaterial* material = world.createMaterial(0.75f, 0.75f, 0.0001f);
};

void expectVec3(const glm::vec3& actual, const glm::vec3& expected)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
    }
}

TEST_F(PhysicalObject, BoxTakesTheScaledExtentsAndItsCentreOfMassSwapsYAndZ)
{
    Rock rock;
    rock.extents = glm::vec3(2.0f, 4.0f, 6.0f);
    rock.scale = 10.0f;
    rock.position = glm::vec3(1.0f, 2.0f, 3.0f);
    // The body's pose takes the position alone, whatever the drawing's rotation holds.
    rock.rotation = glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    ASSERT_TRUE(rock.initPhysics(&world, material, 1, nullptr));
    ASSERT_NE(rock.actor, nullptr);
    EXPECT_EQ(rock.getActor(), rock.actor);
    expectVec3(rock.extents, glm::vec3(20.0f, 40.0f, 60.0f));
    expectVec3(rock.halfExtents, glm::vec3(10.0f, 20.0f, 30.0f));
    expectVec3(rock.actor->getBoxHalfExtents(), glm::vec3(10.0f, 20.0f, 30.0f));
    expectVec3(rock.actor->getCMassLocalPose().p, glm::vec3(-10.0f, -30.0f, -20.0f));
    // The body starts at the object's position with no rotation, with the library's mass.
    expectVec3(rock.actor->getGlobalPose().p, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(rock.actor->getGlobalPose().q, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(rock.actor->getMass(), 1.0f);
    // Making a body does not put it into the scene.
    EXPECT_TRUE(world.getActors(true).empty());
}

TEST_F(PhysicalObject, SecondInitScalesTheExtentsAgain)
{
    Skier skier;
    skier.extents = glm::vec3(1.0f, 2.0f, 3.0f);
    skier.scale = 2.0f;
    skier.initPhysics(&world, material, 2, nullptr);
    skier.initPhysics(&world, material, 2, nullptr);
    expectVec3(skier.extents, glm::vec3(4.0f, 8.0f, 12.0f));
}


class DominanceGroup : public PhysicalObject, public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(DominanceGroup, TypeBecomesTheBodysDominanceGroup)
{
    Skier skier;
    skier.extents = glm::vec3(1.0f);
    skier.initPhysics(&world, material, GetParam(), nullptr);
    EXPECT_EQ(skier.actor->getDominanceGroup(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Types, DominanceGroup, ::testing::Values(0, 1, 2));

TEST_F(PhysicalObject, PoseCopyBeforeAnyBodyChangesNothing)
{
    Rock rock;
    rock.position = glm::vec3(4.0f, 5.0f, 6.0f);
    rock.updateModelMatrix();
    const glm::mat4 model = rock.model;
    rock.updateFromPhysics();
    EXPECT_EQ(rock.position, glm::vec3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(rock.model, model);
    EXPECT_EQ(rock.rotation, glm::mat4(1.0f));
}

struct PoseCase {
    const char* name;
    glm::quat rotation;
    glm::vec3 translation;
    glm::vec4 columns[4];
};

class PoseCopy : public PhysicalObject, public ::testing::WithParamInterface<PoseCase> {};

// The body's pose (quaternion and translation) becomes the drawn rotation, position and model.
TEST_P(PoseCopy, PoseBecomesRotationPositionAndModel)
{
    const PoseCase& c = GetParam();
    Rock rock;
    rock.extents = glm::vec3(1.0f);
    rock.initPhysics(&world, material, 1, nullptr);
    physics::Transform pose;
    pose.p = c.translation;
    pose.q = c.rotation;
    rock.actor->setGlobalPose(pose, true);
    rock.updateFromPhysics();
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_NEAR(rock.rotation[column][row], c.columns[column][row], 1e-6f) << column << ", " << row;
        }
    }
    EXPECT_EQ(rock.rotation[3], glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    expectVec3(rock.position, c.translation);
    EXPECT_NEAR(rock.model[3].x, c.translation.x, 1e-5f);
    EXPECT_NEAR(rock.model[3].y, c.translation.y, 1e-5f);
    EXPECT_NEAR(rock.model[3].z, c.translation.z, 1e-5f);
    EXPECT_EQ(rock.model[3].w, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Poses, PoseCopy,
    ::testing::Values(
        PoseCase{"Identity", glm::quat(1.0f, 0.0f, 0.0f, 0.0f), glm::vec3(5.0f, 6.0f, 7.0f),
                 {glm::vec4(1, 0, 0, 0), glm::vec4(0, 1, 0, 0), glm::vec4(0, 0, 1, 0), glm::vec4(0, 0, 0, 1)}},
        PoseCase{"QuarterTurnAboutY", glm::quat(0.7071068f, 0.0f, 0.7071068f, 0.0f), glm::vec3(-1.0f, 0.5f, 2.0f),
                 {glm::vec4(0, 0, -1, 0), glm::vec4(0, 1, 0, 0), glm::vec4(1, 0, 0, 0), glm::vec4(0, 0, 0, 1)}},
        PoseCase{"HalfTurnAboutX", glm::quat(0.0f, 1.0f, 0.0f, 0.0f), glm::vec3(0.0f),
                 {glm::vec4(1, 0, 0, 0), glm::vec4(0, -1, 0, 0), glm::vec4(0, 0, -1, 0), glm::vec4(0, 0, 0, 1)}}),
    [](const ::testing::TestParamInfo<PoseCase>& info) { return std::string(info.param.name); });

// The body's pose is the transform of the object's own origin, not of the offset centre of mass.
TEST_F(PhysicalObject, StepMovesTheDrawnObjectWithItsBody)
{
    physics::SceneDesc desc;
    desc.gravity = glm::vec3(0.0f, -20.0f, 0.0f);
    physics::PhysicsWorld falling(desc);
    Rock rock;
    rock.extents = glm::vec3(2.0f);
    rock.position = glm::vec3(0.0f, 100.0f, 0.0f);
    rock.initPhysics(&falling, falling.createMaterial(0.75f, 0.75f, 0.0001f), 1, nullptr);
    falling.addActor(*rock.actor);
    for (int i = 0; i < 30; ++i) {
        falling.simulate(1.0f / 60.0f);
        falling.fetchResults(true);
    }
    rock.updateFromPhysics();
    // Half a second of free fall at 20 units/s^2 is 2.5 units.
    EXPECT_NEAR(rock.position.y, 97.5f, 0.1f);
    EXPECT_NEAR(rock.position.x, 0.0f, 1e-4f);
}

TEST_F(PhysicalObject, ObstaclesNameTheirModelFiles)
{
    EXPECT_EQ(Rock().modelFile, "/RockCluster.obj");
    EXPECT_EQ(Skier().modelFile, "/TestSkier.obj");
}

TEST_F(PhysicalObject, StaticBodyNeedsTheCookingAndADescriptionWithTriangles)
{
    Background backdrop;
    backdrop.updateModelMatrix();
    // The backdrop's description is empty: no mesh, so no body of use.
    EXPECT_FALSE(backdrop.initPhysics(&world, material, 0, &world));
    EXPECT_FALSE(backdrop.initPhysics(&world, material, 0, nullptr));
    EXPECT_EQ(backdrop.getTriangleMeshDesc().points.size(), 0u);
    EXPECT_EQ(backdrop.getTriangleMeshDesc().triangles.size(), 0u);
}

}
