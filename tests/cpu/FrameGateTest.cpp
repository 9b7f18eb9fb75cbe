#include "app/DemoWindow.h"

#include <gtest/gtest.h>

namespace {

constexpr float kInterval = 1.0f / 60.0f;

TEST(FrameGate, DueOnlyAfterOneIntervalSinceTheLastDueFrame)
{
    float lastTime = 0.0f;
    float accumulator = 0.0f;
    EXPECT_FALSE(DemoWindow::advanceGate(0.010f, kInterval, lastTime, accumulator));
    EXPECT_TRUE(DemoWindow::advanceGate(0.017f, kInterval, lastTime, accumulator));
    EXPECT_EQ(accumulator, 0.0f);
    EXPECT_FALSE(DemoWindow::advanceGate(0.030f, kInterval, lastTime, accumulator));
    EXPECT_TRUE(DemoWindow::advanceGate(0.034f, kInterval, lastTime, accumulator));
}

TEST(FrameGate, ExactlyOneIntervalIsDue)
{
    float lastTime = 0.0f;
    float accumulator = 0.0f;
    EXPECT_TRUE(DemoWindow::advanceGate(kInterval, kInterval, lastTime, accumulator));
}

TEST(FrameGate, ExcessOfALongFrameIsDropped)
{
    float lastTime = 1.0f;
    float accumulator = 0.0f;
    // A 25 ms frame: due at once, and the 8.3 ms beyond the interval are not carried over.
    EXPECT_TRUE(DemoWindow::advanceGate(1.025f, kInterval, lastTime, accumulator));
    EXPECT_EQ(accumulator, 0.0f);
    EXPECT_FALSE(DemoWindow::advanceGate(1.025f + 0.010f, kInterval, lastTime, accumulator));
    EXPECT_TRUE(DemoWindow::advanceGate(1.025f + 0.017f, kInterval, lastTime, accumulator));
}

TEST(FrameGate, FirstCallCountsTimeSinceTimerStart)
{
    float lastTime = 0.0f;
    float accumulator = 0.0f;
    EXPECT_TRUE(DemoWindow::advanceGate(0.5f, kInterval, lastTime, accumulator));
    float lastTime2 = 0.0f;
    float accumulator2 = 0.0f;
    EXPECT_FALSE(DemoWindow::advanceGate(0.016f, kInterval, lastTime2, accumulator2));
    EXPECT_EQ(accumulator2, 0.016f);
}

}
