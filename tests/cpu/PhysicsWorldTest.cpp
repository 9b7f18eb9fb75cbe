#include "tests/support/PhysicsScene.h"
#include "world/physics/HeightFieldDesc.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/SimulationEventCallback.h"
#include "world/physics/TriangleMesh.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(PhysicsWorld, ReleasesSceneDispatcherPhysicsCookingFoundationInThatOrder)
{
    const std::vector<std::string> order = {"scene", "dispatcher", "physics", "cooking", "foundation"};
    std::vector<std::string> released;
    {
        PhysicsScene scene;
        scene.addHeightField([](int, int) { return std::int16_t(0); });
        scene.addBox(glm::vec3(0.0f, 5.0f, 0.0f), glm::vec3(1.0f));
        scene.step();
        scene.world.releaseListener = [&](const std::string& part) { released.push_back(part); };
        scene.world.release();
        EXPECT_EQ(released, order);
        // Released once: neither a second release nor the destructor reports again, and a step
        // after the release does nothing.
        scene.world.release();
        scene.world.simulate(kStep);
        EXPECT_FALSE(scene.world.fetchResults(true));
    }
    EXPECT_EQ(released, order);

    released.clear();
    {
        PhysicsScene scene;
        scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f));
        scene.world.releaseListener = [&](const std::string& part) { released.push_back(part); };
    }
    EXPECT_EQ(released, order);
}

TEST(PhysicsWorld, OneStepPerSimulateAndFetch)
{
    PhysicsScene scene;
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 100.0f, 0.0f), glm::vec3(1.0f));
    EXPECT_FALSE(scene.world.fetchResults(true));
    scene.world.simulate(kStep);
    EXPECT_EQ(box->getGlobalPose().p.y, 100.0f);
    scene.world.simulate(kStep);
    ASSERT_TRUE(scene.world.fetchResults(true));
    EXPECT_FALSE(scene.world.fetchResults(true));
    // One step of 1/60 s, however often simulate was called before the fetch.
    EXPECT_FLOAT_EQ(box->getLinearVelocity().y, -20.0f * kStep);
    // A longer step is still one step: no sub-steps of a fixed length.
    scene.world.simulate(0.5f);
    scene.world.fetchResults(true);
    EXPECT_FLOAT_EQ(box->getLinearVelocity().y, -20.0f * (kStep + 0.5f));
}

TEST(PhysicsWorld, KeepsWhatTheSceneIsMadeOf)
{
    PhysicsScene scene;
    EXPECT_EQ(scene.world.getGravity(), glm::vec3(0.0f, -20.0f, 0.0f));
    EXPECT_EQ(scene.world.getWorkerThreads(), 2u);
    EXPECT_EQ(scene.material->staticFriction, 0.75f);
    EXPECT_EQ(scene.material->dynamicFriction, 0.75f);
    EXPECT_EQ(scene.material->restitution, 0.0001f);

    physics::RigidStatic* field = scene.addHeightField([](int, int) { return std::int16_t(0); });
    physics::RigidDynamic* first = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f));
    physics::RigidDynamic* second = scene.addBox(glm::vec3(5.0f), glm::vec3(1.0f));
    scene.world.addActor(*first);
    EXPECT_EQ(scene.world.getActors(false), std::vector<physics::RigidActor*>{field});
    EXPECT_EQ(scene.world.getActors(true), (std::vector<physics::RigidActor*>{first, second}));
}

TEST(PhysicsWorld, RefusesShapesThatCannotBeCooked)
{
    PhysicsScene scene;
    physics::HeightFieldDesc field;
    field.nbRows = 128;
    field.nbColumns = 128;
    field.samples.resize(100);
    EXPECT_EQ(scene.world.createHeightField(field), nullptr);
    field.nbRows = 1;
    field.nbColumns = 100;
    EXPECT_EQ(scene.world.createHeightField(field), nullptr);

    physics::TriangleMeshDesc mesh;
    EXPECT_EQ(scene.world.createTriangleMesh(mesh), nullptr);
    mesh.points = {glm::vec3(0.0f), glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f)};
    mesh.triangles = {0, 1, 3};
    EXPECT_EQ(scene.world.createTriangleMesh(mesh), nullptr);
    mesh.triangles = {0, 1};
    EXPECT_EQ(scene.world.createTriangleMesh(mesh), nullptr);
}

TEST(PhysicsWorld, BoxRestsOnACookedTriangleMesh)
{
    PhysicsScene scene;
    physics::TriangleMeshDesc desc;
    desc.points = {glm::vec3(-50.0f, 0.0f, -50.0f), glm::vec3(50.0f, 0.0f, -50.0f), glm::vec3(50.0f, 0.0f, 50.0f),
                   glm::vec3(-50.0f, 0.0f, 50.0f)};
    desc.triangles = {0, 2, 1, 0, 3, 2};
    physics::TriangleMesh* mesh = scene.world.createTriangleMesh(desc);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getNbVertices(), 4u);
    EXPECT_EQ(mesh->getNbTriangles(), 2u);
    physics::Transform at;
    at.p = glm::vec3(0.0f, 10.0f, 0.0f);
    physics::RigidStatic* ground = scene.world.createRigidStatic(at);
    ground->attachTriangleMesh(*mesh, *scene.material);
    scene.world.addActor(*ground);
    physics::RigidDynamic* box = scene.addBox(glm::vec3(5.0f, 15.0f, 5.0f), glm::vec3(1.0f));
    scene.step(240);
    EXPECT_NEAR(box->getGlobalPose().p.y, 11.0f, 0.05f);
    physics::RaycastHit hit;
    ASSERT_TRUE(scene.world.raycast(glm::vec3(-20.0f, 20.0f, 20.0f), glm::vec3(0.0f, -1.0f, 0.0f), 50.0f, hit));
    EXPECT_EQ(hit.actor, ground);
    EXPECT_EQ(hit.faceIndex, 1u);
}

// The material's restitution counts only above an approach speed of 2 units/s: a box dropped from
// 0.05 (1.4 units/s) stays down, one from 5 (14 units/s) bounces.
struct BounceCase {
    const char* name;
    float drop;
    bool bounces;
};

void PrintTo(const BounceCase& c, std::ostream* os)
{
    *os << c.name;
}

class Bounce : public ::testing::TestWithParam<BounceCase> {};

TEST_P(Bounce, OnlyAboveTheThresholdSpeed)
{
    const BounceCase& c = GetParam();
    PhysicsScene scene;
    scene.addHeightField([](int, int) { return std::int16_t(0); });
    const physics::PhysicsMaterial* bouncy = scene.world.createMaterial(0.75f, 0.75f, 1.0f);
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 1.0f + c.drop, 0.0f), glm::vec3(1.0f), 2, bouncy);
    float fastestUp = 0.0f;
    for (int i = 0; i < 120; ++i) {
        scene.step();
        fastestUp = std::max(fastestUp, box->getLinearVelocity().y);
    }
    EXPECT_EQ(fastestUp > 1.0f, c.bounces) << fastestUp;
}

INSTANTIATE_TEST_SUITE_P(Drops, Bounce,
                         ::testing::Values(BounceCase{"Slow", 0.05f, false}, BounceCase{"Fast", 5.0f, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A slope, a few boxes of both groups with the spawners' torques, velocities and centres of mass.
std::vector<physics::RigidDynamic*> populate(PhysicsScene& scene)
{
    scene.addHeightField([](int r, int c) { return std::int16_t(std::max(0, 100 - r) + (c % 5)); });
    std::vector<physics::RigidDynamic*> boxes;
    for (int i = 0; i < 12; ++i) {
        const bool rock = i % 3 == 0;
        const float half = rock ? 2.05f : 1.35f;
        const glm::vec3 at(sampleX(60) + 3.1f * float(i % 4), 160.0f + 4.0f * float(i), sampleZ(64) + 2.9f * float(i / 4));
        physics::RigidDynamic* box = scene.addBox(at, glm::vec3(half), rock ? 1 : 2);
        physics::Transform centreOfMass;
        centreOfMass.p = glm::vec3(-half, -half, -half);
        box->setCMassLocalPose(centreOfMass);
        box->addTorque(glm::vec3(0.0f, 90.0f, 0.0f));
        box->setLinearVelocity(glm::vec3(float(i) - 6.0f, 20.0f, 3.0f));
        boxes.push_back(box);
    }
    return boxes;
}

TEST(PhysicsWorld, TwoWorldsFromTheSameStateStayBitwiseEqual)
{
    PhysicsScene a;
    PhysicsScene b;
    const std::vector<physics::RigidDynamic*> boxesA = populate(a);
    const std::vector<physics::RigidDynamic*> boxesB = populate(b);
    // Stepped in turn, so that nothing one world leaves behind can reach the other unseen.
    for (int i = 0; i < 600; ++i) {
        a.step();
        b.step();
    }
    bool anyMoved = false;
    for (std::size_t i = 0; i < boxesA.size(); ++i) {
        const physics::Transform poseA = boxesA[i]->getGlobalPose();
        const physics::Transform poseB = boxesB[i]->getGlobalPose();
        EXPECT_EQ(std::memcmp(&poseA.p, &poseB.p, sizeof poseA.p), 0) << "box " << i;
        EXPECT_EQ(std::memcmp(&poseA.q, &poseB.q, sizeof poseA.q), 0) << "box " << i;
        anyMoved = anyMoved || poseA.p.y < 150.0f;
    }
    EXPECT_TRUE(anyMoved);
}

bool isFinite(const physics::Transform& pose)
{
    return std::isfinite(pose.p.x) && std::isfinite(pose.p.y) && std::isfinite(pose.p.z) &&
           std::isfinite(pose.q.x) && std::isfinite(pose.q.y) && std::isfinite(pose.q.z) && std::isfinite(pose.q.w);
}

// The chaser is slammed down at 55500 units/s: 925 units a step pass straight through a field with
// no thickness, as they would in PhysX. It falls on, simulated and finite.
TEST(PhysicsWorld, BodyFasterThanTheFieldTunnelsAndFallsOn)
{
    PhysicsScene scene;
    scene.addHeightField([](int r, int) { return std::int16_t(100 - r * 100 / 127); });
    physics::RigidDynamic* chaser = scene.addBox(glm::vec3(0.0f, 80.0f, 0.0f), glm::vec3(1.35f));
    chaser->setLinearVelocity(glm::vec3(10.0f, -55500.0f, 10.0f));
    float previous = chaser->getGlobalPose().p.y;
    for (int i = 0; i < 120; ++i) {
        scene.step();
        const physics::Transform pose = chaser->getGlobalPose();
        ASSERT_TRUE(isFinite(pose)) << "step " << i;
        ASSERT_LT(pose.p.y, previous) << "step " << i;
        previous = pose.p.y;
    }
    EXPECT_LT(previous, -55500.0f);
}

// Past about 6e7 units/s the swept bounds pass Bullet's limit and Bullet stops simulating the body
// for good. The layer says so, and takes the body back in once its pose or velocity is set.
TEST(PhysicsWorld, BodyTooFastForBulletIsReportedAndComesBackWhenMoved)
{
    PhysicsScene scene;
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 80.0f, 0.0f), glm::vec3(1.35f));
    box->setLinearVelocity(glm::vec3(0.0f, -1e8f, 0.0f));
    testing::internal::CaptureStderr();
    scene.step();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("left the simulation"), std::string::npos) << said;
    const float stuck = box->getGlobalPose().p.y;
    testing::internal::CaptureStderr();
    scene.step(10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(box->getGlobalPose().p.y, stuck);

    physics::Transform back;
    back.p = glm::vec3(0.0f, 80.0f, 0.0f);
    box->setGlobalPose(back);
    box->setLinearVelocity(glm::vec3(0.0f));
    scene.step(30);
    EXPECT_NEAR(box->getGlobalPose().p.y, 80.0f - 20.0f * kStep * kStep * 30.0f * 31.0f / 2.0f, 1e-3f);
}

struct Recorder : physics::SimulationEventCallback {
    void onConstraintBreak(physics::ConstraintInfo*, unsigned) override { ++others; }
    void onWake(physics::RigidActor**, unsigned) override { ++others; }
    void onSleep(physics::RigidActor**, unsigned) override { ++others; }
    void onContact(const physics::ContactPairHeader& header, const physics::ContactPair* pairs, unsigned count) override
    {
        for (unsigned i = 0; i < count; ++i) {
            contacts.push_back({header.actors[0], header.actors[1], pairs[i].events, pairs[i].contactCount});
        }
    }
    void onTrigger(physics::TriggerPair*, unsigned) override { ++others; }
    void onAdvance(const physics::RigidActor* const*, const physics::Transform*, unsigned) override { ++others; }

    struct Contact {
        physics::RigidActor* a;
        physics::RigidActor* b;
        unsigned events;
        unsigned points;
    };
    std::vector<Contact> contacts;
    int others = 0;
};

unsigned reportEverything(const physics::RigidActor&, const physics::RigidActor&)
{
    return physics::pairflags::contactDefault | physics::pairflags::notifyTouchFound |
           physics::pairflags::notifyTouchPersists | physics::pairflags::notifyContactPoints;
}

struct FilterCase {
    const char* name;
    physics::PairFilter filter;
};

void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name;
}

class ContactEvents : public ::testing::TestWithParam<FilterCase> {};

// A box dropped onto the field touches it and stays on it. Only a filter that asks for reports
// gets them: the first touch once, then one persisting touch per step, with the contact points.
TEST_P(ContactEvents, ReportOnlyWhatTheFilterAsksFor)
{
    const FilterCase& c = GetParam();
    Recorder recorder;
    PhysicsScene scene(c.filter, &recorder);
    physics::RigidStatic* field = scene.addHeightField([](int, int) { return std::int16_t(0); });
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 2.0f, 0.0f), glm::vec3(1.0f));
    scene.step(60);
    EXPECT_EQ(recorder.others, 0);
    if (c.filter == physics::defaultSimulationFilter) {
        EXPECT_TRUE(recorder.contacts.empty());
        return;
    }
    ASSERT_GE(recorder.contacts.size(), 30u);
    EXPECT_EQ(recorder.contacts[0].events, physics::pairflags::notifyTouchFound);
    for (std::size_t i = 0; i < recorder.contacts.size(); ++i) {
        const Recorder::Contact& contact = recorder.contacts[i];
        EXPECT_TRUE((contact.a == box && contact.b == field) || (contact.a == field && contact.b == box));
        EXPECT_GT(contact.points, 0u);
        if (i > 0) {
            EXPECT_EQ(contact.events, physics::pairflags::notifyTouchPersists) << "report " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, ContactEvents,
                         ::testing::Values(FilterCase{"Default", physics::defaultSimulationFilter},
                                           FilterCase{"ReportingEverything", reportEverything}),
                         [](const auto& info) { return std::string(info.param.name); });

}
