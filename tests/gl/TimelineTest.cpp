#include "app/DemoWindow.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "tests/support/GLTestContext.h"
#include "world/Camera.h"
#include "world/GameLoop.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

constexpr int kFrames = 2800;

struct FrameState {
    float time;
    float timeStep;
    float cameraSpeed;
    float yaw;
    float pitch;
};

// The run's loop on a small window and the real World, with the due frames driven back to back
// instead of through the 60 Hz gate. trace[0] is the state after start(), trace[n] after frame n.
class Timeline : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::filesystem::path previousDirectory = std::filesystem::current_path();
        std::filesystem::current_path(VELMORRA_BINARY_DIR);
        const int savedWidth = settings::windowWidth;
        const int savedHeight = settings::windowHeight;
        settings::windowWidth = 64;
        settings::windowHeight = 48;
        {
            GameLoop loop;
            loop.window = std::make_shared<DemoWindow>(64, 48, "timeline test");
            ASSERT_TRUE(loop.window->hasContext());
            GLErrorWatch watch;
            watch.install();
            createWorld();
            loop.world = currentWorld;
            loop.start();
            trace.clear();
            auto record = [&] {
                trace.push_back({loop.time, loop.timeStep, loop.cameraSpeed, loop.world->camera->yaw,
                                 loop.world->camera->pitch});
            };
            record();
            for (int frame = 1; frame <= kFrames; ++frame) {
                loop.dueFrame();
                record();
            }
            glFinish();
            glErrors = watch.errors();
            currentWorld.reset();
        }
        settings::windowWidth = savedWidth;
        settings::windowHeight = savedHeight;
        std::filesystem::current_path(previousDirectory);
    }

    void SetUp() override
    {
        ASSERT_EQ(trace.size(), static_cast<size_t>(kFrames + 1));
        EXPECT_TRUE(glErrors.empty()) << glErrors.front();
    }

    static std::vector<FrameState> trace;
    static std::vector<std::string> glErrors;
};

std::vector<FrameState> Timeline::trace;
std::vector<std::string> Timeline::glErrors;

TEST_F(Timeline, ClockFollowsTheFrameTable)
{
    struct Mark {
        int frame;
        float time;
    };
    const Mark marks[] = {
        {0, 0.0f},         {1, 0.1f},         {400, 39.99996f},   {401, 40.09996f},   {500, 49.99981f},
        {501, 50.09981f},  {600, 59.99966f},  {640, 63.999596f},  {641, 64.099594f},  {642, 64.10020f},
        {2134, 64.99946f}, {2135, 65.00006f}, {2136, 65.10006f},  {2785, 129.99922f}, {2786, 130.09923f},
        {2787, 130.09923f}, {kFrames, 130.09923f},
    };
    for (const Mark& mark : marks) {
        EXPECT_FLOAT_EQ(trace[mark.frame].time, mark.time) << "frame " << mark.frame;
    }
}

TEST_F(Timeline, EachSlowMotionFactorAppliesOnOneFrame)
{
    std::vector<int> changes;
    for (int frame = 1; frame <= kFrames; ++frame) {
        if (trace[frame].timeStep != trace[frame - 1].timeStep) {
            changes.push_back(frame);
        }
    }
    EXPECT_EQ(changes, (std::vector<int>{641, 2135}));
    EXPECT_EQ(trace[640].timeStep, 0.1f);
    EXPECT_FLOAT_EQ(trace[641].timeStep, 0.00060000003f);
    EXPECT_FLOAT_EQ(trace[2135].timeStep, 0.10000001f);
    EXPECT_NE(trace[2135].timeStep, 0.1f);
    // Slow motion moves the clock by the small step; the first slow frame already used it.
    EXPECT_NEAR(trace[642].time - trace[641].time, 0.0006f, 1e-5f);
}

TEST_F(Timeline, CameraTurnsOnlyByYawInItsPhases)
{
    for (const FrameState& state : trace) {
        ASSERT_FLOAT_EQ(state.pitch, -10.0f);
    }
    EXPECT_FLOAT_EQ(trace[0].yaw, -90.0f);

    struct Range {
        int first;
        int last;
    };
    const Range still[] = {{1, 400}, {601, 2134}, {2786, kFrames}};
    for (const Range& range : still) {
        for (int frame = range.first; frame <= range.last; ++frame) {
            ASSERT_EQ(trace[frame].yaw, trace[frame - 1].yaw) << "frame " << frame;
        }
    }
    for (int frame = 401; frame <= 600; ++frame) {
        ASSERT_NEAR(trace[frame].yaw - trace[frame - 1].yaw, frame <= 500 ? -0.5f : 0.5f, 1e-5f) << "frame " << frame;
    }
    EXPECT_FLOAT_EQ(trace[500].yaw, -140.0f);
    EXPECT_EQ(trace[600].yaw, trace[400].yaw);

    // The last phase turns by a tenth of the speed used on the frame, growing by 0.1 a frame.
    for (int frame = 2135; frame <= 2785; ++frame) {
        ASSERT_NEAR(trace[frame].yaw - trace[frame - 1].yaw, 0.1f * trace[frame - 1].cameraSpeed, 2e-3f)
            << "frame " << frame;
    }
    EXPECT_NEAR(trace[2785].yaw - trace[2134].yaw, 2181.0f, 1.0f);
}

TEST_F(Timeline, CameraSpeedGrowsThroughTheLastPhaseOnly)
{
    EXPECT_EQ(trace[2134].cameraSpeed, 1.0f);
    EXPECT_FLOAT_EQ(trace[2135].cameraSpeed, 1.1f);
    EXPECT_FLOAT_EQ(trace[2784].cameraSpeed, 65.999565f);
    EXPECT_FLOAT_EQ(trace[2785].cameraSpeed, 66.09956f);
    EXPECT_EQ(trace[kFrames].cameraSpeed, trace[2785].cameraSpeed);
}

TEST_F(Timeline, NothingMovesAfterTheLastScriptedFrame)
{
    for (int frame = 2787; frame <= kFrames; ++frame) {
        const FrameState& now = trace[frame];
        const FrameState& last = trace[2786];
        EXPECT_EQ(now.time, last.time);
        EXPECT_EQ(now.timeStep, last.timeStep);
        EXPECT_EQ(now.cameraSpeed, last.cameraSpeed);
        EXPECT_EQ(now.yaw, last.yaw);
    }
}

}
