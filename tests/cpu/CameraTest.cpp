#include "world/Camera.h"

#include <gtest/gtest.h>

namespace {

void expectVec(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Camera, NewCameraProjection)
{
    Camera camera;
    const glm::mat4& p = camera.projection;
    EXPECT_FLOAT_EQ(p[0][0], 1.0f);
    EXPECT_FLOAT_EQ(p[1][1], 1.0f);
    EXPECT_FLOAT_EQ(p[2][2], -1.0001563f);
    EXPECT_FLOAT_EQ(p[3][2], -2.0001562f);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p[2][0], 0.0f);
    EXPECT_EQ(camera.position, glm::vec3(0.0f, 6510.0f, 0.0f));
    EXPECT_EQ(camera.up, glm::vec3(0.0f));
}

TEST(Camera, AspectEntersOnlyTheFirstElement)
{
    Camera camera;
    camera.aspect = 2.0f;
    camera.updateProjection();
    EXPECT_FLOAT_EQ(camera.projection[0][0], 0.5f);
    EXPECT_FLOAT_EQ(camera.projection[1][1], 1.0f);
}

TEST(Camera, TiltToMinusTenDegrees)
{
    Camera camera;
    camera.processMouseMovement(0.0f, -100.0f, true);
    EXPECT_FLOAT_EQ(camera.pitch, -10.0f);
    expectVec(camera.front, {0.0f, -0.17365f, -0.98481f});
    expectVec(camera.right, {1.0f, 0.0f, 0.0f});
    expectVec(camera.up, {0.0f, 0.98481f, -0.17365f});
}

struct PitchCase {
    float start;
    float offset;
    bool constrain;
    float expected;
};

void PrintTo(const PitchCase& c, std::ostream* os)
{
    *os << c.start << (c.offset < 0 ? "" : "+") << c.offset << (c.constrain ? " constrained" : " free");
}

class CameraPitch : public ::testing::TestWithParam<PitchCase> {};

TEST_P(CameraPitch, LimitsAndWraps)
{
    Camera camera;
    camera.pitch = GetParam().start;
    camera.processMouseMovement(0.0f, GetParam().offset, GetParam().constrain);
    EXPECT_FLOAT_EQ(camera.pitch, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraPitch,
                         ::testing::Values(PitchCase{0.0f, 200.0f, true, 10.0f}, PitchCase{0.0f, -500.0f, true, -40.0f},
                                           PitchCase{170.0f, 150.0f, false, 0.0f},
                                           PitchCase{-170.0f, -150.0f, false, 0.0f},
                                           PitchCase{0.0f, 50.0f, false, 5.0f}));

TEST(Camera, YawIsNeverWrapped)
{
    Camera camera;
    for (int i = 0; i < 50; ++i) {
        camera.processMouseMovement(100.0f, 0.0f, true);
    }
    EXPECT_NEAR(camera.yaw, 410.0f, 1e-3f);
    Camera reference;
    reference.yaw = 50.0f;
    reference.processMouseMovement(0.0f, 0.0f, true);
    expectVec(camera.front, reference.front, 1e-4f);
}

}
