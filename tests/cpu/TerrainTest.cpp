#include "app/Globals.h"
#include "app/Random.h"
#include "world/Terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>

namespace {

using Heights = std::vector<std::vector<float>>;

// The run's terrain: generated first from the engine as the program starts.
class TerrainHeights : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        randomEngine = std::mt19937{};
        terrain = std::make_unique<Terrain>();
    }
    static void TearDownTestSuite() { terrain.reset(); }

    static std::unique_ptr<Terrain> terrain;
};

std::unique_ptr<Terrain> TerrainHeights::terrain;

TEST_F(TerrainHeights, GridOf129RowsNormalisedTo0To100WithTheLastRowAndColumnLeftAtZero)
{
    const Heights& h = terrain->heights;
    ASSERT_EQ(h.size(), 129u);
    float lowest = std::numeric_limits<float>::max();
    float highest = std::numeric_limits<float>::lowest();
    for (int i = 0; i < 129; ++i) {
        ASSERT_EQ(h[i].size(), 129u);
        for (int j = 0; j < 129; ++j) {
            if (i == 128 || j == 128) {
                ASSERT_EQ(h[i][j], 0.0f) << i << ", " << j;
            } else {
                lowest = std::min(lowest, h[i][j]);
                highest = std::max(highest, h[i][j]);
            }
        }
    }
    EXPECT_EQ(lowest, 0.0f);
    EXPECT_EQ(highest, 100.0f);
}

// Any change to the order of the draws, a level's deviation or an averaging rule moves these.
TEST_F(TerrainHeights, TheRunsGridIsFixed)
{
    const Heights& h = terrain->heights;
    double weighted = 0.0;
    for (int i = 0; i < 129; ++i) {
        for (int j = 0; j < 129; ++j) {
            weighted += h[i][j] * (1 + (i * 129 + j) % 97);
        }
    }
    // Tight enough that summing a step's neighbours in another order shows.
    EXPECT_NEAR(weighted, 36483286.3217, 0.005);
    EXPECT_NEAR(h[64][64], 39.721531f, 1e-4f);
    EXPECT_NEAR(h[1][1], 55.840561f, 1e-4f);
    EXPECT_NEAR(h[127][127], 36.336678f, 1e-4f);
}

TEST_F(TerrainHeights, StartPositionIsTheHeightAtTheOrigin)
{
    EXPECT_EQ(terrain->halfExtents, glm::vec3(0.0f, terrain->heights[64][64], 0.0f));
}

// The first level visits (64, 64) from the one corner (0, 0) that counts, then (0, 64) and
// (64, 0), each from (0, 0) and (64, 64). No later level writes these four points, so their
// heights before normalisation follow from replaying the draws; normalisation maps them all by
// the same straight line.
TEST_F(TerrainHeights, FirstLevelAveragesTheCornerAndThenItsTwoNeighbours)
{
    randomEngine = std::mt19937{};
    float corners[4];
    for (float& corner : corners) {
        corner = randomNormal(1.0f);
    }
    const float sigma = static_cast<float>(1.0 / std::pow(2.0, static_cast<double>(0.1f) * 0.1));
    EXPECT_NEAR(sigma, 0.99309f, 1e-5f);
    const float corner = corners[0];
    EXPECT_NEAR(corner, 0.2531610f, 1e-6f) << "heights[0][0] before the subdivision";
    const float centre = corner + randomNormal(sigma);
    const float top = (centre + corner) / 2.0f + randomNormal(sigma);
    const float left = (corner + centre) / 2.0f + randomNormal(sigma);

    const Heights& h = terrain->heights;
    const float scale = (h[64][64] - h[0][0]) / (centre - corner);
    EXPECT_GT(scale, 0.0f);
    EXPECT_NEAR(h[0][64] - h[0][0], (top - corner) * scale, 1e-3f);
    EXPECT_NEAR(h[64][0] - h[0][0], (left - corner) * scale, 1e-3f);
}

// Steps on a grid of known heights, every point its own: the averaging rules by themselves.
class TerrainSteps : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 129; ++i) {
            for (int j = 0; j < 129; ++j) {
                terrain.heights[i][j] = 0.005f * static_cast<float>(128 * i + j);
            }
        }
    }
    float at(int i, int j) { return terrain.heights[i][j]; }

    Terrain terrain;
};

TEST_F(TerrainSteps, DiamondAveragesTheDiagonalCornersOnTheGrid)
{
    terrain.diamondStep(64, 64, 64, 0.5f);
    EXPECT_EQ(at(64, 64), at(0, 0) + 0.5f) << "only (0, 0) of the four lies in 0..127";
    terrain.diamondStep(32, 32, 32, -1.0f);
    EXPECT_EQ(at(32, 32), (at(64, 0) + at(0, 0) + at(64, 64) + at(0, 64)) / 4.0f - 1.0f);
    terrain.diamondStep(96, 96, 32, 0.0f);
    EXPECT_EQ(at(96, 96), at(64, 64)) << "three corners beyond 127";
}

TEST_F(TerrainSteps, SquareAveragesTheNeighboursOnTheGrid)
{
    terrain.squareStep(0, 64, 64, 0.25f);
    EXPECT_EQ(at(0, 64), (at(64, 64) + at(0, 0)) / 2.0f + 0.25f);
    terrain.squareStep(64, 0, 64, 0.0f);
    EXPECT_EQ(at(64, 0), (at(0, 0) + at(64, 64)) / 2.0f);
    terrain.squareStep(32, 64, 32, 2.0f);
    EXPECT_EQ(at(32, 64), (at(64, 64) + at(0, 64) + at(32, 96) + at(32, 32)) / 4.0f + 2.0f);
    terrain.squareStep(127, 126, 1, 0.0f);
    EXPECT_EQ(at(127, 126), (at(126, 126) + at(127, 127) + at(127, 125)) / 3.0f);
}

struct HeightCase {
    const char* name;
    float x;
    float z;
    std::function<float(const Heights&)> expected;
};

void PrintTo(const HeightCase& c, std::ostream* os)
{
    *os << c.name;
}

class HeightQuery : public TerrainHeights, public ::testing::WithParamInterface<HeightCase> {};

TEST_P(HeightQuery, BlendsTheCellOrAnswersOffTheGrid)
{
    const HeightCase& c = GetParam();
    EXPECT_FLOAT_EQ(terrain->getHeightAt(c.x, c.z), c.expected(terrain->heights));
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Points, HeightQuery,
    ::testing::Values(
        HeightCase{"origin", 0.0f, 0.0f, [](const Heights& h) { return h[64][64]; }},
        HeightCase{"first grid point", -3200.0f, -3200.0f, [](const Heights& h) { return h[0][0]; }},
        HeightCase{"last grid point", 3150.0f, 3150.0f, [](const Heights& h) { return h[127][127]; }},
        HeightCase{"cell centre", -3175.0f, -3175.0f,
                   [](const Heights& h) { return (h[0][0] + h[1][0] + h[0][1] + h[1][1]) / 4.0f; }},
        HeightCase{"along z", 0.0f, 10.0f, [](const Heights& h) { return 0.8f * h[64][64] + 0.2f * h[64][65]; }},
        HeightCase{"before the first row extrapolates", -3225.0f, 0.0f,
                   [](const Heights& h) { return 1.5f * h[0][64] - 0.5f * h[1][64]; }},
        HeightCase{"past the last row blends towards 0", 3175.0f, 0.0f,
                   [](const Heights& h) { return 0.5f * h[127][64]; }},
        HeightCase{"x at 3200", 3200.0f, 0.0f, [](const Heights&) { return -200.0f; }},
        HeightCase{"z at -3251", 0.0f, -3251.0f, [](const Heights&) { return -200.0f; }},
        HeightCase{"x at -3250", -3250.0f, 0.0f, [](const Heights&) { return -200.0f; }},
        HeightCase{"far away", 1e30f, -1e30f, [](const Heights&) { return -200.0f; }},
        HeightCase{"not a number", kNaN, 0.0f, [](const Heights&) { return -200.0f; }}));

TEST_F(TerrainHeights, SurfacePointAndGridPoint)
{
    EXPECT_EQ(terrain->getSurfacePoint(0.0f, 0.0f), glm::vec3(0.0f, terrain->heights[64][64], 0.0f));
    EXPECT_EQ(terrain->getGridPoint(2, 3), glm::vec3(36.0f, terrain->heights[2][3], 86.0f));
    EXPECT_EQ(terrain->getHeight(5, 7), terrain->heights[5][7]);
    EXPECT_EQ(terrain->getHeight(-1, 7), -200.0f);
    EXPECT_EQ(terrain->getHeight(5, 128), -200.0f);
}

TEST_F(TerrainHeights, RandomPointNearTheOriginStaysWithinTwoDeviations)
{
    for (int i = 0; i < 2000; ++i) {
        const glm::vec3 p = terrain->randomPointNear(glm::vec3(0.0f, 55.0f, 0.0f), 2.0f, 2.0f, 1.5f);
        ASSERT_LE(std::abs(p.x), 4.0f);
        ASSERT_LE(std::abs(p.z), 4.0f);
        ASSERT_EQ(p.y, terrain->getHeightAt(p.x, p.z) + 1.5f);
    }
}

TEST_F(TerrainHeights, RandomPointNearACentreOffTheGridIsBelowIt)
{
    const glm::vec3 p = terrain->randomPointNear(glm::vec3(5000.0f, 0.0f, 0.0f), 10.0f, 10.0f, 20.0f);
    EXPECT_EQ(p.y, -180.0f);
    EXPECT_LE(std::abs(p.x), 5020.0f);
}

TEST_F(TerrainHeights, RandomPointLiesOnTheSlopeAbove)
{
    for (int i = 0; i < 500; ++i) {
        const glm::vec3 p = terrain->randomPoint();
        ASSERT_LE(std::abs(p.x), 3200.0f);
        ASSERT_LE(std::abs(p.z), 3200.0f);
        ASSERT_EQ(p.y, terrain->getHeightAt(p.x, p.z) + 20.0f);
    }
}

TEST_F(TerrainHeights, HeightFieldHas16384SamplesInsideABorderRing)
{
    const physics::HeightFieldDesc desc = terrain->getHeightFieldDesc();
    EXPECT_EQ(desc.nbRows, 128u);
    EXPECT_EQ(desc.nbColumns, 128u);
    ASSERT_EQ(desc.samples.size(), 16384u);
    EXPECT_EQ(desc.convexEdgeThreshold, 0.0f);
    EXPECT_EQ(desc.flags, 0u);
    for (int r = 0; r < 128; ++r) {
        for (int c = 0; c < 128; ++c) {
            const physics::HeightFieldSample& s = desc.samples[static_cast<size_t>(r * 128 + c)];
            const bool border = r == 0 || r == 127 || c == 0 || c == 127;
            const auto expected =
                border ? std::int16_t{10000} : static_cast<std::int16_t>(std::trunc(terrain->heights[r][c]));
            ASSERT_EQ(s.height, expected) << r << ", " << c;
            ASSERT_EQ(s.materialIndex0, 0u);
            ASSERT_EQ(s.materialIndex1, 0u);
        }
    }
}

TEST_F(TerrainSteps, HeightFieldCutsHeightsTowardsZeroAndReadsRowsAlongX)
{
    terrain.heights[10][20] = 57.9f;
    terrain.heights[20][10] = 0.99f;
    terrain.heights[1][1] = 100.0f;
    const physics::HeightFieldDesc desc = terrain.getHeightFieldDesc();
    EXPECT_EQ(desc.samples[10 * 128 + 20].height, 57);
    EXPECT_EQ(desc.samples[20 * 128 + 10].height, 0);
    EXPECT_EQ(desc.samples[1 * 128 + 1].height, 100);
    EXPECT_EQ(desc.samples[1 * 128 + 0].height, 10000);
    EXPECT_EQ(desc.samples[127 * 128 + 64].height, 10000);
}

}
