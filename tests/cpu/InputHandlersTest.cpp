#include "app/Globals.h"
#include "app/InputHandlers.h"
#include "app/Settings.h"
#include "tests/support/TempDir.h"
#include "world/Terrain.h"
#include "world/World.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace {

// A World with a terrain and nothing on the GPU, as the handlers find it through currentWorld.
class InputHandlers : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        currentWorld = std::make_shared<World>(64, 48);
        testing::internal::GetCapturedStdout();
        currentWorld->terrain = std::make_shared<Terrain>();
        input::movement = input::MovementKeys();
        input::windowModeChanged = false;
        savedFullscreen = settings::fullscreen;
    }

    void TearDown() override
    {
        currentWorld.reset();
        settings::fullscreen = savedFullscreen;
    }

    TempDir folder;
    bool savedFullscreen = false;
};

TEST_F(InputHandlers, F3TogglesTheTerrainWireframeOnPressOnly)
{
    input::keyCallback(nullptr, GLFW_KEY_F3, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(currentWorld->terrain->wireframe);
    input::keyCallback(nullptr, GLFW_KEY_F3, 0, GLFW_RELEASE, 0);
    input::keyCallback(nullptr, GLFW_KEY_F3, 0, GLFW_REPEAT, 0);
    EXPECT_TRUE(currentWorld->terrain->wireframe);
    input::keyCallback(nullptr, GLFW_KEY_F3, 0, GLFW_PRESS, 0);
    EXPECT_FALSE(currentWorld->terrain->wireframe);
}

struct MovementCase {
    int key;
    bool input::MovementKeys::*flag;
};

class MovementKey : public InputHandlers, public ::testing::WithParamInterface<MovementCase> {};

TEST_P(MovementKey, PressSetsAndReleaseClearsOnlyItsFlag)
{
    const MovementCase& c = GetParam();
    input::keyCallback(nullptr, c.key, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(input::movement.*c.flag);
    const int held = input::movement.forward + input::movement.left + input::movement.backward + input::movement.right;
    EXPECT_EQ(held, 1);
    input::keyCallback(nullptr, c.key, 0, GLFW_RELEASE, 0);
    EXPECT_FALSE(input::movement.*c.flag);
}

INSTANTIATE_TEST_SUITE_P(Keys, MovementKey,
                         ::testing::Values(MovementCase{GLFW_KEY_W, &input::MovementKeys::forward},
                                           MovementCase{GLFW_KEY_A, &input::MovementKeys::left},
                                           MovementCase{GLFW_KEY_S, &input::MovementKeys::backward},
                                           MovementCase{GLFW_KEY_D, &input::MovementKeys::right}));

TEST_F(InputHandlers, EscapeLeavesAndF1EntersFullscreenByFlagsAlone)
{
    input::keyCallback(nullptr, GLFW_KEY_F1, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(settings::fullscreen);
    EXPECT_TRUE(input::windowModeChanged);
    input::windowModeChanged = false;
    input::keyCallback(nullptr, GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_FALSE(settings::fullscreen);
    EXPECT_TRUE(input::windowModeChanged);
}

TEST_F(InputHandlers, SpaceRestartsTheScript)
{
    currentWorld->chaserSpawned = true;
    currentWorld->chaserMoving = true;
    input::keyCallback(nullptr, GLFW_KEY_SPACE, 0, GLFW_PRESS, 0);
    EXPECT_TRUE(currentWorld->running);
    EXPECT_TRUE(currentWorld->isChaserPending());
    EXPECT_FALSE(currentWorld->chaserMoving);
}

TEST_F(InputHandlers, ZeroSizedFramebufferIsNotAResize)
{
    const int width = settings::windowWidth;
    const int height = settings::windowHeight;
    for (const auto& size : {std::pair{0, 600}, std::pair{800, 0}, std::pair{0, 0}}) {
        testing::internal::CaptureStdout();
        input::applyFramebufferSize(size.first, size.second);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "no resize\n");
    }
    EXPECT_EQ(settings::windowWidth, width);
    EXPECT_EQ(settings::windowHeight, height);
}

TEST_F(InputHandlers, ScrollKeepsHalfTheOffsetTheOtherWay)
{
    input::scrollCallback(nullptr, 0.0, 3.0);
    EXPECT_EQ(input::zoom, -1.5f);
}

}
