#include "tests/support/PhysicsScene.h"
#include "world/SimulationEvents.h"
#include "world/physics/PairFilter.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(SimulationEvents, OnlyContactsAndTriggersSayAnything)
{
    SimulationEvents events;
    physics::ContactPairHeader header;
    physics::TriggerPair trigger;
    testing::internal::CaptureStdout();
    events.onConstraintBreak(nullptr, 0);
    events.onWake(nullptr, 0);
    events.onSleep(nullptr, 0);
    events.onAdvance(nullptr, nullptr, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    events.onContact(header, nullptr, 0);
    events.onTrigger(&trigger, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "onContact collision detectedonTrigger collision detected");
}

TEST(SimulationEvents, ContactReportFilterAsksForTouchesAndPointsOnTopOfTheDefault)
{
    physics::PhysicsWorld world{physics::SceneDesc{}};
    physics::RigidDynamic* a = world.createRigidDynamic(physics::Transform{});
    physics::RigidDynamic* b = world.createRigidDynamic(physics::Transform{});
    EXPECT_EQ(physics::defaultSimulationFilter(*a, *b), 1025u);
    EXPECT_EQ(contactReportFilterShader(*a, *b), 1549u);
}

// With the default filter a stack of boxes resting on the ground reports nothing, so the scene's
// events stay silent over a run; the reporting filter on the same stack does speak.
TEST(SimulationEvents, DefaultFilterKeepsTheSceneSilent)
{
    for (const bool reporting : {false, true}) {
        SimulationEvents events;
        PhysicsScene scene(reporting ? contactReportFilterShader : physics::defaultSimulationFilter, &events);
        scene.addHeightField([](int, int) { return std::int16_t(0); });
        for (int i = 0; i < 3; ++i) {
            scene.addBox(glm::vec3(0.0f, 1.0f + 2.0f * static_cast<float>(i), 0.0f), glm::vec3(1.0f));
        }
        testing::internal::CaptureStdout();
        scene.step(60);
        const std::string out = testing::internal::GetCapturedStdout();
        if (reporting) {
            EXPECT_NE(out.find("onContact collision detected"), std::string::npos);
        } else {
            EXPECT_EQ(out, "");
        }
    }
}

}
