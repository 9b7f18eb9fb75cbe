#include "effects/PostProcessing.h"

#include <gtest/gtest.h>

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
