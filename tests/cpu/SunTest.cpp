#include "world/Sun.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

constexpr float kTolerance = 1e-4f;

void expectNear(const glm::vec4& actual, const glm::vec4& expected, float tolerance = kTolerance)
{
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

void expectNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance = kTolerance)
{
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "[" << c << "][" << r << "]";
        }
    }
}

bool nearlyEqual(const glm::mat4& a, const glm::mat4& b)
{
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (std::abs(a[c][r] - b[c][r]) > kTolerance) {
                return false;
            }
        }
    }
    return true;
}

Sun sunAtRunPosition()
{
    Sun sun(1024, 1024, 1.0f, 12800.0f, glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
    sun.position = glm::vec3(0.0f, 120.0f, 0.0f);
    sun.updateShadowMatrices();
    return sun;
}

struct FaceCase {
    int face;
    glm::vec3 along;
    glm::vec3 up;
    bool equalsLookAtFromLight;
};

void PrintTo(const FaceCase& c, std::ostream* os)
{
    *os << "face " << c.face;
}

class SunFace : public ::testing::TestWithParam<FaceCase> {};

// Each face basis is the rotation of the look-at along its direction; for the run's light on the
// y axis, T x basis is the true view from the light for the x and z faces only.
TEST_P(SunFace, BasisAndTranslation)
{
    const FaceCase c = GetParam();
    Sun sun = sunAtRunPosition();
    const glm::mat4 view = sun.viewMatrices[static_cast<size_t>(c.face)];
    const glm::mat4 basis = glm::translate(glm::mat4(1.0f), -sun.position) * view;
    expectNear(basis, glm::lookAt(glm::vec3(0.0f), c.along, c.up));

    const glm::mat4 fromLight = glm::lookAt(sun.position, sun.position + c.along, c.up);
    EXPECT_EQ(nearlyEqual(view, fromLight), c.equalsLookAtFromLight);
    expectNear(sun.getShadowMatrix(c.face), sun.projection * view);
}

INSTANTIATE_TEST_SUITE_P(Faces, SunFace,
                         ::testing::Values(FaceCase{0, {1, 0, 0}, {0, -1, 0}, true},
                                           FaceCase{1, {-1, 0, 0}, {0, -1, 0}, true},
                                           FaceCase{2, {0, -1, 0}, {0, 0, -1}, false},
                                           FaceCase{3, {0, 1, 0}, {0, 0, 1}, false},
                                           FaceCase{4, {0, 0, 1}, {0, -1, 0}, true},
                                           FaceCase{5, {0, 0, -1}, {0, -1, 0}, true}),
                         [](const ::testing::TestParamInfo<FaceCase>& info) {
                             return "Face" + std::to_string(info.param.face);
                         });

TEST(Sun, FaceViewsMapThePartsPoints)
{
    Sun sun = sunAtRunPosition();
    expectNear(sun.viewMatrices[0] * glm::vec4(10, 120, 0, 1), glm::vec4(0, 0, -10, 1));
    expectNear(sun.viewMatrices[3] * glm::vec4(0, 130, 0, 1), glm::vec4(0, 120, -130, 1));
}

TEST(Sun, RebuildingKeepsSixMatricesOfEachKind)
{
    Sun sun(1024, 1024, 1.0f, 12800.0f, glm::vec4(1.0f));
    ASSERT_EQ(sun.viewMatrices.size(), 6u);
    ASSERT_EQ(sun.shadowMatrices.size(), 6u);
    const glm::mat4 atOrigin = sun.shadowMatrices[0];
    sun.position = glm::vec3(0.0f, 120.0f, 0.0f);
    sun.updateShadowMatrices();
    sun.updateShadowMatrices();
    EXPECT_EQ(sun.viewMatrices.size(), 6u);
    EXPECT_EQ(sun.shadowMatrices.size(), 6u);
    EXPECT_FALSE(nearlyEqual(sun.shadowMatrices[0], atOrigin));
}

TEST(Sun, ProjectionIsNinetyDegreesOverTheShadowSize)
{
    Sun sun(1024, 512, 1.0f, 12800.0f, glm::vec4(1.0f));
    expectNear(sun.projection, glm::perspective(glm::radians(90.0f), 2.0f, 1.0f, 12800.0f));
    const glm::mat4 faces = sun.shadowMatrices[4];
    sun.updateProjection(1024, 1024);
    expectNear(sun.projection, glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 12800.0f));
    expectNear(sun.shadowMatrices[4], faces, 0.0f);
}

TEST(Sun, ShadowMatrixOutsideTheSixFacesThrows)
{
    Sun sun = sunAtRunPosition();
    for (int face : {6, -1, 100}) {
        try {
            sun.getShadowMatrix(face);
            ADD_FAILURE() << "face " << face << " did not throw";
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "invalid vector subscript");
        }
    }
    // Face 5 looks along -z: a point straight ahead of the light lands on the face's centre line.
    expectNear(sun.getShadowMatrix(5) * glm::vec4(0, 120, -10, 1), sun.projection * glm::vec4(0, 0, -10, 1));
}

TEST(Sun, DirectionPointsFromTheLightTowardsTheOrigin)
{
    Sun sun = sunAtRunPosition();
    EXPECT_EQ(sun.getColor(), glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
    const glm::vec3 down = sun.getDirection();
    EXPECT_NEAR(down.x, 0.0f, 1e-6f);
    EXPECT_NEAR(down.y, -1.0f, 1e-6f);
    EXPECT_NEAR(down.z, 0.0f, 1e-6f);
    sun.position = glm::vec3(3.0f, 0.0f, -4.0f);
    const glm::vec3 slanted = sun.getDirection();
    EXPECT_NEAR(slanted.x, -0.6f, 1e-6f);
    EXPECT_NEAR(slanted.z, 0.8f, 1e-6f);
}

TEST(Sun, ModelMatrixScalesThenTranslates)
{
    Sun sun = sunAtRunPosition();
    sun.scale = 3.0f;
    sun.updateModelMatrix();
    expectNear(sun.model * glm::vec4(1, 0, 0, 1), glm::vec4(3, 120, 0, 1));
}

TEST(Sun, SphereCountsAndFirstRingVertex)
{
    Sun sun = sunAtRunPosition();
    sun.generateSphere();
    ASSERT_EQ(sun.vertices.size(), 1986u);
    ASSERT_EQ(sun.indices.size(), 11904u);
    const float pi = 3.1415927f;
    const Vertex& v = sun.vertices[2];
    EXPECT_NEAR(v.position.x, std::sin(pi / 32.0f), 1e-6f);
    EXPECT_NEAR(v.position.y, std::cos(pi / 32.0f), 1e-6f);
    EXPECT_NEAR(v.position.z, 0.0f, 1e-6f);
    EXPECT_NEAR(v.uv.x, 0.0f, 1e-6f);
    EXPECT_NEAR(v.uv.y, 0.03125f, 1e-6f);
    EXPECT_EQ(sun.vertices[0].uv, glm::vec2(0.5f, 1.0f));
    EXPECT_EQ(sun.vertices[1].position, glm::vec3(0.0f, -1.0f, 0.0f));
    const glm::vec2 lastUv = sun.vertices.back().uv;
    EXPECT_NEAR(lastUv.x, 63.0f / 64.0f, 1e-6f);
    EXPECT_NEAR(lastUv.y, 31.0f / 32.0f, 1e-6f);
}

// Every triangle is a real face of the unit sphere: indices in range, no degenerate corners,
// and all of them wound the same way as seen from outside.
TEST(Sun, SphereTrianglesCoverTheSurfaceWithOneWinding)
{
    Sun sun = sunAtRunPosition();
    sun.generateSphere();
    int outward = 0;
    int inward = 0;
    for (size_t t = 0; t + 2 < sun.indices.size(); t += 3) {
        ASSERT_LT(sun.indices[t], sun.vertices.size());
        ASSERT_LT(sun.indices[t + 1], sun.vertices.size());
        ASSERT_LT(sun.indices[t + 2], sun.vertices.size());
        const glm::vec3 a = sun.vertices[sun.indices[t]].position;
        const glm::vec3 b = sun.vertices[sun.indices[t + 1]].position;
        const glm::vec3 c = sun.vertices[sun.indices[t + 2]].position;
        const float facing = glm::dot(glm::cross(b - a, c - a), a + b + c);
        ASSERT_GT(std::abs(facing), 1e-7f) << "degenerate triangle " << t / 3;
        (facing > 0.0f ? outward : inward) += 1;
    }
    EXPECT_EQ(outward + inward, 3968);
    EXPECT_TRUE(outward == 0 || inward == 0) << outward << " outward, " << inward << " inward";
    for (const Vertex& v : sun.vertices) {
        EXPECT_NEAR(glm::length(v.position), 1.0f, 1e-5f);
        EXPECT_NEAR(glm::length(v.normal - v.position), 0.0f, 1e-5f);
    }
}

}
