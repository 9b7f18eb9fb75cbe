#include "effects/Background.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Which coordinate a wall stands on, and how its u runs across it.
struct Wall {
    const char* name;
    int axis;           // 0: x, 2: z
    float at;           // the wall's coordinate on that axis
    glm::vec3 normal;
    int acrossAxis;     // the axis along which u changes
    bool uGrows;        // u = 1 at the + end of acrossAxis
};

const Wall kWalls[] = {
    {"z = +1", 2, 1.0f, {0, 0, 1}, 0, true},
    {"x = -1", 0, -1.0f, {1, 0, 0}, 2, false},
    {"z = -1", 2, -1.0f, {0, 0, -1}, 0, false},
    {"x = +1", 0, 1.0f, {1, 0, 0}, 2, true},
};

TEST(Background, FourWallsOfFourVerticesWithTheirNormalsAndTextureDirections)
{
    Background background;
    ASSERT_EQ(background.vertices.size(), 16u);
    for (size_t w = 0; w < 4; ++w) {
        const Wall& wall = kWalls[w];
        SCOPED_TRACE(wall.name);
        std::vector<glm::vec2> corners;
        for (size_t k = 0; k < 4; ++k) {
            const Vertex& v = background.vertices[4 * w + k];
            EXPECT_EQ(v.position[wall.axis], wall.at);
            EXPECT_EQ(v.normal, wall.normal);
            // v runs from the bottom (y = -1) to the top; u from one edge of the wall to the other.
            EXPECT_EQ(v.uv.y, (v.position.y + 1.0f) / 2.0f);
            const float across = v.position[wall.acrossAxis];
            EXPECT_EQ(v.uv.x, wall.uGrows ? (across + 1.0f) / 2.0f : (1.0f - across) / 2.0f);
            corners.push_back({across, v.position.y});
        }
        // The four corners of the square, each once.
        for (glm::vec2 corner : {glm::vec2(-1, -1), glm::vec2(-1, 1), glm::vec2(1, -1), glm::vec2(1, 1)}) {
            EXPECT_EQ(std::count(corners.begin(), corners.end(), corner), 1);
        }
    }
}

TEST(Background, OneQuadOfTwoTrianglesPerWall)
{
    Background background;
    const std::vector<GLushort> expected = {0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4,
                                            8, 9, 10, 10, 11, 8, 12, 13, 14, 14, 15, 12};
    EXPECT_EQ(background.indices, expected);
    EXPECT_EQ(background.previousViewProjection, glm::mat4(1.0f));
    // Geometry is the constructor's; building it again adds nothing.
    background.initGeometry();
    EXPECT_EQ(background.vertices.size(), 16u);
    EXPECT_EQ(background.indices.size(), 24u);
}

}
