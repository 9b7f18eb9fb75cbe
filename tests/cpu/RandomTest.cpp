#include "app/Globals.h"
#include "app/LookupRandom.h"
#include "app/NormalSampler.h"
#include "app/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace {

// The engine as it is when the program starts; each test begins from there.
class RandomHelpers : public ::testing::Test {
protected:
    void SetUp() override { randomEngine = std::mt19937{}; }

    // How many engine outputs `draw` used.
    static int outputsUsedBy(const std::function<void()>& draw)
    {
        std::mt19937 before = randomEngine;
        draw();
        int used = 0;
        while (before != randomEngine && used < 1000) {
            before();
            ++used;
        }
        return used;
    }
};

TEST_F(RandomHelpers, EngineStartsWithTheStandardSequenceAndUniformValuesFollowIt)
{
    std::mt19937 copy = randomEngine;
    EXPECT_EQ(copy(), 3499211612u);
    EXPECT_EQ(copy(), 581869302u);
    EXPECT_NEAR(NormalSampler::uniform(), 0.8147237f, 1e-7f);
    EXPECT_NEAR(NormalSampler::uniform(), 0.1354770f, 1e-7f);
}

TEST_F(RandomHelpers, UniformOfTheLargestOutputRoundsUpToOne)
{
    // 2^32 - 1 is not a float; the nearest is 2^32 itself.
    EXPECT_EQ(static_cast<float>(4294967295u) / 4294967296.0f, 1.0f);
    for (int i = 0; i < 100000; ++i) {
        const float u = NormalSampler::uniform();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
    }
}

struct SamplerCase {
    float mean;
    float sigma;
};

class FirstSamplePair : public RandomHelpers, public ::testing::WithParamInterface<SamplerCase> {};

// The first pair of the run: a = 0.6294473, b = -0.7290460, s = 0.9277120, f = 0.4021957, so the
// first value is a f and the kept one b f, both scaled and moved.
TEST_P(FirstSamplePair, FirstValueIsAFAndTheKeptOneBFWithoutAnotherDraw)
{
    const SamplerCase c = GetParam();
    const float a = 0.6294473f;
    const float b = -0.7290460f;
    const float f = 0.4021957f;
    EXPECT_NEAR(std::sqrt(-2.0f * std::log(0.9277120f) / 0.9277120f), f, 1e-6f);
    NormalSampler sample(c.mean, c.sigma);
    float first = 0.0f;
    EXPECT_EQ(outputsUsedBy([&] { first = sample(); }), 2);
    EXPECT_NEAR(first, a * f * c.sigma + c.mean, 2e-6f * std::max(1.0f, std::abs(c.mean)));
    float second = 0.0f;
    EXPECT_EQ(outputsUsedBy([&] { second = sample(); }), 0);
    EXPECT_NEAR(second, b * f * c.sigma + c.mean, 2e-6f * std::max(1.0f, std::abs(c.mean)));
    // The third value starts a new pair.
    EXPECT_GE(outputsUsedBy([&] { sample(); }), 2);
}

INSTANTIATE_TEST_SUITE_P(MeansAndDeviations, FirstSamplePair,
                         ::testing::Values(SamplerCase{0.0f, 1.0f}, SamplerCase{10.0f, 2.0f},
                                           SamplerCase{-3.0f, 0.5f}, SamplerCase{100.0f, 0.0f}));

TEST_F(RandomHelpers, FirstNormalOfTheRunAndNoKeptValueBetweenCalls)
{
    float first = 0.0f;
    float second = 0.0f;
    EXPECT_GE(outputsUsedBy([&] {
                  first = randomNormal(1.0f);
                  second = randomNormal(1.0f);
              }),
              4);
    EXPECT_NEAR(first, 0.2531610f, 1e-6f);
    EXPECT_GT(std::abs(second - -0.2932191f), 1e-3f) << "the second call reused the first call's kept value";
}

TEST_F(RandomHelpers, NormalSamplesHaveTheirDeviation)
{
    double sum = 0.0;
    double squares = 0.0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double x = randomNormal(3.0f);
        sum += x;
        squares += x * x;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.1);
    EXPECT_NEAR(std::sqrt(squares / n), 3.0, 0.1);
}

struct ScaleCase {
    float target;
    float model;
    float expected;
};

class ScaleWithoutVariation : public RandomHelpers, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleWithoutVariation, IsTheCubeRootOfTheVolumeRatioAndStillDraws)
{
    const ScaleCase c = GetParam();
    float scale = 0.0f;
    EXPECT_GE(outputsUsedBy([&] { scale = randomScale(c.target, c.model, 0.0f); }), 2);
    EXPECT_EQ(scale, std::cbrt(c.target / c.model));
    EXPECT_NEAR(scale, c.expected, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(Volumes, ScaleWithoutVariation,
                         ::testing::Values(ScaleCase{8.0f, 1.0f, 2.0f}, ScaleCase{27.0f, 1.0f, 3.0f},
                                           ScaleCase{1.0f, 8.0f, 0.5f}, ScaleCase{10.0f, 3.0f, 1.4938016f}));

TEST_F(RandomHelpers, ScaleIsNeverNegative)
{
    // With a deviation of 2 the factor n + 1 is below zero for about a third of the draws.
    for (int i = 0; i < 2000; ++i) {
        ASSERT_GE(randomScale(8.0f, 1.0f, 2.0f), 0.0f);
    }
}

TEST_F(RandomHelpers, OffsetXZStaysInsideTheSquareAtItsHeight)
{
    float extreme = 0.0f;
    for (int i = 0; i < 5000; ++i) {
        const glm::vec3 p = randomOffsetXZ(128.0f, 50.0f, 100.0f);
        ASSERT_LE(std::abs(p.x), 3200.0f);
        ASSERT_LE(std::abs(p.z), 3200.0f);
        ASSERT_EQ(p.y, 100.0f);
        extreme = std::max({extreme, std::abs(p.x), std::abs(p.z)});
    }
    // Deviation 0.5 of the half range: a fair share of draws lands beyond it and is redrawn.
    EXPECT_GT(extreme, 2500.0f);
}

TEST_F(RandomHelpers, OffsetXZTakesXFromTheDrawAndZFromTheValueItKept)
{
    const float a = 0.6294473f;
    const float b = -0.7290460f;
    const float f = 0.4021957f;
    const glm::vec3 p = randomOffsetXZ(128.0f, 1.0f, 0.0f);
    EXPECT_NEAR(p.x, a * f * 0.5f * 64.0f, 1e-4f);
    EXPECT_NEAR(p.z, b * f * 0.5f * 64.0f, 1e-4f);
}

TEST_F(RandomHelpers, OffsetAroundBoundsTheCoordinatesNotTheDistance)
{
    const glm::vec3 centre(100.0f, 7.0f, -40.0f);
    bool beyondTwoSigmaTowardsTheOrigin = false;
    for (int i = 0; i < 5000; ++i) {
        const glm::vec3 p = randomOffsetAround(110.0f, 50.0f, centre, 5.0f, 5.0f, 3.0f);
        ASSERT_LE(std::abs(p.x), 110.0f);
        ASSERT_LE(std::abs(p.z), 50.0f);
        ASSERT_EQ(p.y, 3.0f);
        beyondTwoSigmaTowardsTheOrigin |= p.x < 90.0f || p.z > -30.0f;
    }
    EXPECT_TRUE(beyondTwoSigmaTowardsTheOrigin);
}

struct UnreachableCase {
    float limit;
    float centre;
    float sigma;
    float expected;
};

class UnreachableLimit : public RandomHelpers, public ::testing::WithParamInterface<UnreachableCase> {};

// A limit that no draw can meet would loop for ever; the coordinate ends on the limit instead.
TEST_P(UnreachableLimit, EndsOnTheLimitInsteadOfLooping)
{
    const UnreachableCase c = GetParam();
    const glm::vec3 p = randomOffsetAround(c.limit, c.limit, glm::vec3(c.centre, 0.0f, c.centre), c.sigma, c.sigma, 1.0f);
    EXPECT_EQ(std::abs(p.x), c.expected);
    EXPECT_EQ(std::abs(p.z), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Limits, UnreachableLimit,
                         ::testing::Values(UnreachableCase{-1.0f, 0.0f, 1.0f, 0.0f},
                                           UnreachableCase{0.5f, 100.0f, 1.0f, 0.5f},
                                           UnreachableCase{2.0f, -50.0f, 0.0f, 2.0f}));

TEST_F(RandomHelpers, OffsetXZOfANegativeRangeEndsAtTheOrigin)
{
    const glm::vec3 p = randomOffsetXZ(-10.0f, 50.0f, 4.0f);
    EXPECT_EQ(p, glm::vec3(0.0f, 4.0f, 0.0f));
}

}

// The lookup textures' generator: the classic rand of the C library, which the system never seeds.
TEST(LookupRandomTest, StartsWithTheUnseededRandSequenceAndStaysWithinItsRange)
{
    LookupRandom generator;
    EXPECT_EQ(generator.next(), 41);
    EXPECT_EQ(generator.next(), 18467);
    EXPECT_EQ(generator.next(), 6334);
    EXPECT_EQ(generator.next(), 26500);
    int lowest = 32767;
    int highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int value = generator.next();
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    // The whole range is reached, so a division by 32767 spans 0..1 and never passes 1.
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 32767);
}
