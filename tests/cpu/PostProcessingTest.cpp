#include "effects/PostProcessing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct HueCase {
    int step;  // the ramp's step s = t * 256 * 6, sampled in the middle of the step
    int red, green, blue;
};

class HueRamp : public ::testing::TestWithParam<HueCase> {};

TEST_P(HueRamp, SixBandsThenBlack)
{
    const HueCase& c = GetParam();
    glm::vec3 rgb = PostProcessing::hueToRgb((static_cast<float>(c.step) + 0.5f) / 1536.0f);
    EXPECT_FLOAT_EQ(rgb.r, static_cast<float>(c.red) / 255.0f);
    EXPECT_FLOAT_EQ(rgb.g, static_cast<float>(c.green) / 255.0f);
    EXPECT_FLOAT_EQ(rgb.b, static_cast<float>(c.blue) / 255.0f);
}

INSTANTIATE_TEST_SUITE_P(Bands, HueRamp,
                         ::testing::Values(HueCase{0, 255, 0, 0}, HueCase{100, 255, 100, 0},
                                           HueCase{255, 255, 255, 0}, HueCase{256, 255, 255, 0},
                                           HueCase{300, 211, 255, 0}, HueCase{600, 0, 255, 88},
                                           HueCase{800, 0, 223, 255}, HueCase{1100, 76, 0, 255},
                                           HueCase{1500, 255, 0, 35}, HueCase{1535, 255, 0, 0},
                                           HueCase{1536, 0, 0, 0}, HueCase{3000, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<HueCase>& info) {
                             return "Step" + std::to_string(info.param.step);
                         });

TEST(HueRamp, EndsOfTheRange)
{
    EXPECT_EQ(PostProcessing::hueToRgb(0.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(PostProcessing::hueToRgb(1.0f), glm::vec3(0.0f));
    EXPECT_EQ(PostProcessing::hueToRgb(0.5f), glm::vec3(0.0f, 1.0f, 1.0f));
}

TEST(HueRamp, NothingBeyondTheRangeIsConvertedToAStep)
{
    for (float t : {std::nanf(""), INFINITY, 1e30f, 3.0e9f}) {
        EXPECT_EQ(PostProcessing::hueToRgb(t), glm::vec3(0.0f)) << t;
    }
}

struct LensCase {
    const char* name;
    int row, column, width, height;
    glm::vec3 rgb;
};

class LensColor : public ::testing::TestWithParam<LensCase> {};

// Every window size gives a colour: no division by a zero half-diagonal, no square past the range of int.
TEST_P(LensColor, RedCentreBlackHalfDiagonalAtAnySize)
{
    const LensCase& c = GetParam();
    glm::vec3 rgb = PostProcessing::lensColor(c.row, c.column, c.width, c.height);
    EXPECT_NEAR(rgb.r, c.rgb.r, 1e-6f);
    EXPECT_NEAR(rgb.g, c.rgb.g, 1e-6f);
    EXPECT_NEAR(rgb.b, c.rgb.b, 1e-6f);
}

const glm::vec3 kRed(1.0f, 0.0f, 0.0f);
const glm::vec3 kBlack(0.0f);

INSTANTIATE_TEST_SUITE_P(
    Sizes, LensColor,
    ::testing::Values(LensCase{"OneByOne", 0, 0, 1, 1, kRed}, LensCase{"TwoByOneCentre", 0, 1, 2, 1, kRed},
                      LensCase{"TwoByOneEdge", 0, 0, 2, 1, kBlack}, LensCase{"OneByTwoEdge", 0, 0, 1, 2, kBlack},
                      LensCase{"CentreOf800By600", 300, 400, 800, 600, kRed},
                      LensCase{"CornerOf800By600", 0, 0, 800, 600, kBlack},
                      LensCase{"CyanHalfWayOut", 300, 150, 800, 600, glm::vec3(0.0f, 1.0f, 1.0f)},
                      LensCase{"CentreOf100000By256", 128, 50000, 100000, 256, kRed},
                      LensCase{"CornerOf100000By256", 0, 0, 100000, 256, kBlack},
                      LensCase{"CornerOf100000By100000", 0, 0, 100000, 100000, kBlack},
                      LensCase{"LastStepBeforeTheFarCorner", 99999, 99999, 100000, 100000, kRed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PostProcessingLifetime, ANeverSetUpChainNeedsNoOpenGL)
{
    // The World builds its chain in its constructor; destroying one that was never set up
    // (no context, no GL entry points loaded) must not touch OpenGL.
    auto chain = std::make_unique<PostProcessing>();
    EXPECT_TRUE(chain->firstSetup);
    EXPECT_EQ(chain->quadVertexArray, 0u);
    EXPECT_EQ(chain->sunPosition, glm::vec3(0.0f));
    EXPECT_FALSE(chain->lensColorTexture);
    chain.reset();
}

}
