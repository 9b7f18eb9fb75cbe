#include "tests/support/PhysicsScene.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// PhysX's angular damping of 0.05 over one 1/60 s step.
const float kDampingPerStep = 1.0f - 0.05f / 60.0f;

TEST(RigidDynamic, NewBodyHasPhysXDefaults)
{
    PhysicsScene scene;
    physics::RigidDynamic* box = scene.addBox(glm::vec3(1.0f, 2.0f, 3.0f), glm::vec3(10.0f, 20.0f, 30.0f), 1);
    EXPECT_EQ(box->getMass(), 1.0f);
    EXPECT_EQ(box->getMassSpaceInertiaTensor(), glm::vec3(1.0f));
    EXPECT_EQ(box->getBoxHalfExtents(), glm::vec3(10.0f, 20.0f, 30.0f));
    EXPECT_EQ(box->getDominanceGroup(), 1);
    EXPECT_EQ(box->getMaxAngularVelocity(), 100.0f);
    EXPECT_TRUE(box->isInScene());
    glm::vec3 lower;
    glm::vec3 upper;
    box->getBounds(lower, upper);
    EXPECT_EQ(lower, glm::vec3(-9.0f, -18.0f, -27.0f));
    EXPECT_EQ(upper, glm::vec3(11.0f, 22.0f, 33.0f));
}

// Moving the centre of mass keeps the actor (and its box) where it is; the actor then turns about
// the new centre.
TEST(RigidDynamic, ActorFrameTurnsAboutTheCentreOfMass)
{
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(5.0f, 6.0f, 7.0f), glm::vec3(2.0f));
    physics::Transform centreOfMass;
    centreOfMass.p = glm::vec3(-1.0f, -3.0f, -2.0f);
    box->setCMassLocalPose(centreOfMass);
    EXPECT_EQ(box->getGlobalPose().p, glm::vec3(5.0f, 6.0f, 7.0f));
    EXPECT_EQ(box->getCMassLocalPose().p, centreOfMass.p);
    glm::vec3 lower;
    glm::vec3 upper;
    box->getBounds(lower, upper);
    EXPECT_NEAR(glm::length(lower - glm::vec3(3.0f, 4.0f, 5.0f)), 0.0f, 1e-5f);

    box->setAngularVelocity(glm::vec3(0.0f, 3.0f, 0.0f));
    scene.step();
    const glm::vec3 pivot(4.0f, 3.0f, 5.0f);
    const float angle = 3.0f * kStep;
    const glm::vec3 expected = pivot + glm::angleAxis(angle, glm::vec3(0.0f, 1.0f, 0.0f)) * glm::vec3(1.0f, 3.0f, 2.0f);
    const physics::Transform pose = box->getGlobalPose();
    EXPECT_NEAR(glm::length(pose.p - expected), 0.0f, 1e-4f);
    EXPECT_NEAR(glm::angle(pose.q), angle, 1e-4f);
}

class PerGroup : public ::testing::TestWithParam<int> {};

// Dominance weighs the lower groups down inside Bullet; gravity and torques must not notice.
TEST_P(PerGroup, FallsUnderGravityAlone)
{
    PhysicsScene scene;
    EXPECT_EQ(scene.world.getGravity(), glm::vec3(0.0f, -20.0f, 0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 100.0f, 0.0f), glm::vec3(1.0f), std::uint8_t(GetParam()));
    const int steps = 30;
    scene.step(steps);
    // Bullet integrates the velocity first, then the position, once per step.
    const float expected = 100.0f - 20.0f * kStep * kStep * float(steps * (steps + 1) / 2);
    EXPECT_NEAR(box->getGlobalPose().p.y, expected, 1e-3f);
    EXPECT_NEAR(box->getLinearVelocity().y, -20.0f * kStep * float(steps), 1e-3f);
}

TEST_P(PerGroup, TorqueActsForOneStepOnly)
{
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f), std::uint8_t(GetParam()));
    box->addTorque(glm::vec3(0.0f, 6.0f, 0.0f));
    scene.step();
    // Inertia 1: the angular velocity grows by torque x dt...
    const float first = box->getAngularVelocity().y;
    EXPECT_NEAR(first, 6.0f * kStep, 1e-4f);
    scene.step();
    // ...and the next step only damps it.
    EXPECT_NEAR(box->getAngularVelocity().y, first * kDampingPerStep, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Groups, PerGroup, ::testing::Values(0, 1, 2));

TEST(RigidDynamic, TorqueWakesASleepingBodyEvenWithoutWakeUp)
{
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f));
    box->putToSleep();
    box->addTorque(glm::vec3(0.0f), false);
    EXPECT_TRUE(box->isSleeping());
    box->addTorque(glm::vec3(0.0f, 6.0f, 0.0f), false);
    EXPECT_FALSE(box->isSleeping());
    scene.step();
    EXPECT_GT(box->getAngularVelocity().y, 0.0f);
}

// The burst skier's torque: without a cap a box leaves its first step at 1913 rad/s.
const glm::vec3 kBurstTorque(100000.0f, 55500.0f, 10000.0f);

// One box driven the same way before each of a few steps, by a torque or by a spin set outright.
// A faster spin ends every step at the maximum, in the direction it had; a slower one is damped
// and nothing more. Dominance weighs torque and inertia alike, so the cap is the same in every group.
struct SpinCase {
    const char* name;
    std::uint8_t group;
    glm::vec3 torque;
    glm::vec3 spin;
    // Zero keeps the default.
    float maximum;
    glm::vec3 expected;
};

void PrintTo(const SpinCase& c, std::ostream* os)
{
    *os << c.name;
}

class AngularCap : public ::testing::TestWithParam<SpinCase> {};

TEST_P(AngularCap, EveryStepEndsAtOrUnderTheMaximum)
{
    const SpinCase& c = GetParam();
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f), c.group);
    if (c.maximum > 0.0f) {
        box->setMaxAngularVelocity(c.maximum);
    }
    const float maximum = box->getMaxAngularVelocity();
    for (int step = 0; step < 3; ++step) {
        if (c.torque != glm::vec3(0.0f)) {
            box->addTorque(c.torque);
        } else {
            box->setAngularVelocity(c.spin);
        }
        scene.step();
        const glm::vec3 spin = box->getAngularVelocity();
        EXPECT_LE(glm::length(spin), maximum * (1.0f + 1e-6f)) << "step " << step;
        EXPECT_NEAR(glm::length(spin - c.expected), 0.0f, 1e-3f * glm::length(c.expected))
            << "step " << step << ": (" << spin.x << ", " << spin.y << ", " << spin.z << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drives, AngularCap,
    ::testing::Values(
        SpinCase{"BurstTorqueOnASkier", 2, kBurstTorque, glm::vec3(0.0f), 0.0f, 100.0f * glm::normalize(kBurstTorque)},
        SpinCase{"BurstTorqueOnARock", 1, kBurstTorque, glm::vec3(0.0f), 0.0f, 100.0f * glm::normalize(kBurstTorque)},
        SpinCase{"BurstTorqueInGroupZero", 0, kBurstTorque, glm::vec3(0.0f), 0.0f,
                 100.0f * glm::normalize(kBurstTorque)},
        SpinCase{"SpinOf300", 2, glm::vec3(0.0f), glm::vec3(300.0f, 0.0f, 0.0f), 0.0f, glm::vec3(100.0f, 0.0f, 0.0f)},
        SpinCase{"SpinUnderTheCap", 2, glm::vec3(0.0f), glm::vec3(0.0f, 50.0f, 0.0f), 0.0f,
                 glm::vec3(0.0f, 50.0f * kDampingPerStep, 0.0f)},
        SpinCase{"SpinAtTheCap", 1, glm::vec3(0.0f), glm::vec3(60.0f, 0.0f, -80.0f), 0.0f,
                 glm::vec3(60.0f, 0.0f, -80.0f) * kDampingPerStep},
        SpinCase{"RaisedMaximumLetsASpinOf300Through", 2, glm::vec3(0.0f), glm::vec3(300.0f, 0.0f, 0.0f), 500.0f,
                 glm::vec3(300.0f * kDampingPerStep, 0.0f, 0.0f)},
        SpinCase{"LoweredMaximumHoldsTheBurstTorque", 2, kBurstTorque, glm::vec3(0.0f), 10.0f,
                 10.0f * glm::normalize(kBurstTorque)},
        SpinCase{"LoweredMaximumOnARock", 1, glm::vec3(0.0f), glm::vec3(0.0f, -30.0f, 0.0f), 10.0f,
                 glm::vec3(0.0f, -10.0f, 0.0f)}),
    [](const auto& info) { return std::string(info.param.name); });

// A box on the field driven into it: the contacts of the step change its spin, and the cap comes
// after them. The same step with the cap raised out of the way shows where the spin would end:
// with the cap it ends at the maximum in that same direction.
struct ContactSpinCase {
    const char* name;
    float tilt;
    glm::vec3 velocity;
    glm::vec3 spin;
};

void PrintTo(const ContactSpinCase& c, std::ostream* os)
{
    *os << c.name;
}

class AngularCapInContact : public ::testing::TestWithParam<ContactSpinCase> {};

glm::vec3 spinAfterAContactStep(const ContactSpinCase& c, float maximum)
{
    PhysicsScene scene;
    scene.addHeightField([](int, int) { return std::int16_t(0); });
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 5.0f, 0.0f), glm::vec3(1.0f));
    box->setMaxAngularVelocity(maximum);
    // Tilted about z and set down with its lowest corner on the surface.
    physics::Transform pose;
    pose.q = glm::angleAxis(c.tilt, glm::vec3(0.0f, 0.0f, 1.0f));
    pose.p = glm::vec3(0.0f, 5.0f, 0.0f);
    box->setGlobalPose(pose);
    pose.p.y -= lowestCorner(*box).y;
    box->setGlobalPose(pose);
    box->setLinearVelocity(c.velocity);
    box->setAngularVelocity(c.spin);
    scene.step();
    EXPECT_GT(box->getGlobalPose().p.y, -1.0f) << "the box went through the field";
    return box->getAngularVelocity();
}

TEST_P(AngularCapInContact, ContactsDoNotLiftTheSpinPastTheMaximum)
{
    const ContactSpinCase& c = GetParam();
    const glm::vec3 uncapped = spinAfterAContactStep(c, 1e6f);
    ASSERT_GT(glm::length(uncapped), 120.0f);
    const glm::vec3 capped = spinAfterAContactStep(c, 100.0f);
    EXPECT_LE(glm::length(capped), 100.0f * (1.0f + 1e-6f));
    EXPECT_NEAR(glm::length(capped - 100.0f * glm::normalize(uncapped)), 0.0f, 1e-3f)
        << "(" << capped.x << ", " << capped.y << ", " << capped.z << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Contacts, AngularCapInContact,
    ::testing::Values(
        // Spun fast about the vertical while gravity presses it flat onto the field.
        ContactSpinCase{"SpinningFlatOnTheField", 0.0f, glm::vec3(0.0f), glm::vec3(0.0f, 300.0f, 0.0f)},
        // Not spinning at all: the contact at the corner alone turns it past the maximum.
        ContactSpinCase{"CornerDrivenIntoTheField", 0.5f, glm::vec3(0.0f, -1000.0f, 0.0f), glm::vec3(0.0f)}),
    [](const auto& info) { return std::string(info.param.name); });

struct MaximumCase {
    const char* name;
    float value;
    bool taken;
};

void PrintTo(const MaximumCase& c, std::ostream* os)
{
    *os << c.name;
}

class MaximumSetter : public ::testing::TestWithParam<MaximumCase> {};

// Only a positive, finite maximum is taken; anything else is reported and leaves the one before.
TEST_P(MaximumSetter, TakesOnlyAPositiveFiniteMaximum)
{
    const MaximumCase& c = GetParam();
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f));
    box->setMaxAngularVelocity(40.0f);
    testing::internal::CaptureStderr();
    box->setMaxAngularVelocity(c.value);
    const std::string said = testing::internal::GetCapturedStderr();
    const float kept = c.taken ? c.value : 40.0f;
    EXPECT_EQ(box->getMaxAngularVelocity(), kept);
    EXPECT_EQ(said.empty(), c.taken) << said;

    box->setAngularVelocity(glm::vec3(0.0f, 0.0f, 1000.0f));
    scene.step();
    const glm::vec3 spin = box->getAngularVelocity();
    EXPECT_TRUE(std::isfinite(spin.z));
    EXPECT_NEAR(spin.z, kept, 1e-3f * kept);
}

INSTANTIATE_TEST_SUITE_P(Values, MaximumSetter,
                         ::testing::Values(MaximumCase{"Larger", 250.0f, true}, MaximumCase{"Tiny", 1e-3f, true},
                                           MaximumCase{"Zero", 0.0f, false}, MaximumCase{"Negative", -5.0f, false},
                                           MaximumCase{"NaN", std::nanf(""), false},
                                           MaximumCase{"Infinite", INFINITY, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct WakeCase {
    const char* name;
    bool wake;
};

void PrintTo(const WakeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Teleport : public ::testing::TestWithParam<WakeCase> {};

// A box settled on the field falls asleep; moving it into the air wakes it only when asked.
TEST_P(Teleport, WakesASleepingBodyOnlyWhenAsked)
{
    const WakeCase& c = GetParam();
    PhysicsScene scene;
    scene.addHeightField([](int, int) { return std::int16_t(0); });
    physics::RigidDynamic* box = scene.addBox(glm::vec3(0.0f, 1.4f, 0.0f), glm::vec3(1.35f));
    scene.step(120);
    ASSERT_TRUE(box->isSleeping());

    physics::Transform above = box->getGlobalPose();
    above.p.y += 5.0f;
    box->setGlobalPose(above, c.wake);
    EXPECT_EQ(box->isSleeping(), !c.wake);
    scene.step(10);
    EXPECT_EQ(box->getGlobalPose().p.y < above.p.y - 0.1f, c.wake);
}

INSTANTIATE_TEST_SUITE_P(Wake, Teleport, ::testing::Values(WakeCase{"WithWakeUp", true}, WakeCase{"WithoutWakeUp", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Box a moves into box b at rest, in empty space. Across groups the lower one barely notices the
// contact and the higher one is pushed; within a group they share the momentum.
struct PushCase {
    const char* name;
    std::uint8_t movingGroup;
    std::uint8_t restingGroup;
    float movingAfter;
    float restingAfter;
};

void PrintTo(const PushCase& c, std::ostream* os)
{
    *os << c.name;
}

class Dominance : public ::testing::TestWithParam<PushCase> {};

TEST_P(Dominance, LowerGroupPushesHigherOneAside)
{
    const PushCase& c = GetParam();
    PhysicsScene scene(glm::vec3(0.0f));
    physics::RigidDynamic* moving = scene.addBox(glm::vec3(0.0f), glm::vec3(1.0f), c.movingGroup);
    physics::RigidDynamic* resting = scene.addBox(glm::vec3(2.5f, 0.0f, 0.0f), glm::vec3(1.0f), c.restingGroup);
    moving->setLinearVelocity(glm::vec3(5.0f, 0.0f, 0.0f));
    scene.step(30);
    EXPECT_NEAR(moving->getLinearVelocity().x, c.movingAfter, 0.05f);
    EXPECT_NEAR(resting->getLinearVelocity().x, c.restingAfter, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Groups, Dominance,
                         ::testing::Values(PushCase{"RockIntoSkier", 1, 2, 5.0f, 5.0f},
                                           PushCase{"SkierIntoRock", 2, 1, 0.0f, 0.0f},
                                           PushCase{"SkierIntoSkier", 2, 2, 2.5f, 2.5f}),
                         [](const auto& info) { return std::string(info.param.name); });

}
