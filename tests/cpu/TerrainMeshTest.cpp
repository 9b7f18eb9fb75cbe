#include "world/Terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

class TerrainMesh : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        terrain = std::make_unique<Terrain>();
        terrain->initGeometry();
    }
    static void TearDownTestSuite() { terrain.reset(); }

    static std::unique_ptr<Terrain> terrain;
};

std::unique_ptr<Terrain> TerrainMesh::terrain;

TEST_F(TerrainMesh, TwoTrianglesPerCellIn16BitIndices)
{
    const std::vector<GLushort>& indices = terrain->indices;
    ASSERT_EQ(indices.size(), 96774u);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 16383);
    const std::vector<GLushort> first(indices.begin(), indices.begin() + 6);
    EXPECT_EQ(first, (std::vector<GLushort>{1, 128, 0, 1, 129, 128}));
    // The last cell, (126, 126).
    const std::vector<GLushort> last(indices.end() - 6, indices.end());
    EXPECT_EQ(last, (std::vector<GLushort>{16255, 16382, 16254, 16255, 16383, 16382}));
    // The second cell of the second row.
    const std::vector<GLushort> inner(indices.begin() + 6 * 128, indices.begin() + 6 * 128 + 6);
    EXPECT_EQ(inner, (std::vector<GLushort>{130, 257, 129, 130, 258, 257}));
}

TEST_F(TerrainMesh, VerticesOnTheTerrainFrameWithMirroredTextureCoordinates)
{
    const std::vector<Vertex>& v = terrain->vertices;
    const auto& h = terrain->heights;
    ASSERT_EQ(v.size(), 16384u);
    EXPECT_EQ(v[0].position, glm::vec3(-3200.0f, h[0][0], -3200.0f));
    EXPECT_EQ(v[0].uv, glm::vec2(0.0f, 0.0f));
    EXPECT_EQ(v[1].position, glm::vec3(-3200.0f, h[0][1], -3150.0f)) << "j runs along z";
    EXPECT_EQ(v[1].uv, glm::vec2(0.0f, 1.0f));
    EXPECT_EQ(v[128].uv, glm::vec2(1.0f, 0.0f));
    EXPECT_EQ(v[129].position, glm::vec3(-3150.0f, h[1][1], -3150.0f));
    EXPECT_EQ(v[129].uv, glm::vec2(1.0f, 1.0f));
    EXPECT_EQ(v[130].uv, glm::vec2(1.0f, 0.0f));
    EXPECT_EQ(v[16383].position, glm::vec3(3150.0f, h[127][127], 3150.0f));
    EXPECT_EQ(v[16383].uv, glm::vec2(1.0f, 1.0f));
    for (const Vertex& vertex : v) {
        ASSERT_NEAR(glm::length(vertex.normal), 1.0f, 1e-5f);
        ASSERT_GT(vertex.normal.y, 0.0f);
    }
}

TEST_F(TerrainMesh, TriangleMeshDescriptionIsTheGridWith32BitTriangles)
{
    const physics::TriangleMeshDesc desc = terrain->getTriangleMeshDesc();
    ASSERT_EQ(desc.points.size(), 16384u);
    ASSERT_EQ(desc.triangles.size(), 32258u * 3u);
    for (size_t i = 0; i < desc.points.size(); ++i) {
        ASSERT_EQ(desc.points[i], terrain->vertices[i].position) << i;
    }
    for (size_t i = 0; i < desc.triangles.size(); ++i) {
        ASSERT_EQ(desc.triangles[i], terrain->indices[i]) << i;
    }
    EXPECT_EQ(desc.flags, 0u);
}

// Normals on a grid whose heights the test sets.
class TerrainNormals : public ::testing::Test {
protected:
    void setPlane(float slopeX, float slopeZ)
    {
        for (int i = 0; i < 129; ++i) {
            for (int j = 0; j < 129; ++j) {
                terrain.heights[i][j] = 50.0f + slopeX * 50.0f * static_cast<float>(i) +
                                        slopeZ * 50.0f * static_cast<float>(j);
            }
        }
    }

    Terrain terrain;
};

struct PlaneCase {
    float slopeX;
    float slopeZ;
};

class PlaneNormals : public TerrainNormals, public ::testing::WithParamInterface<PlaneCase> {};

// On a plane every vertex, inside, on an edge or at a corner, carries the plane's normal.
TEST_P(PlaneNormals, EveryVertexCarriesThePlanesNormal)
{
    const PlaneCase c = GetParam();
    setPlane(c.slopeX, c.slopeZ);
    const glm::vec3 expected = glm::normalize(glm::vec3(-c.slopeX, 1.0f, -c.slopeZ));
    for (const auto& [i, j] : std::vector<std::pair<int, int>>{
             {64, 64}, {1, 1}, {0, 64}, {127, 5}, {40, 0}, {9, 127}, {0, 0}, {0, 127}, {127, 0}, {127, 127}}) {
        SCOPED_TRACE(testing::Message() << "vertex " << i << ", " << j);
        expectNear(terrain.computeNormal(i, j), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Slopes, PlaneNormals,
                         ::testing::Values(PlaneCase{0.0f, 0.0f}, PlaneCase{0.2f, 0.0f}, PlaneCase{0.0f, -0.5f},
                                           PlaneCase{0.3f, 0.1f}));

TEST_F(TerrainNormals, FlatStretchPointsStraightUp)
{
    setPlane(0.0f, 0.0f);
    EXPECT_EQ(terrain.computeNormal(30, 40), glm::vec3(0.0f, 1.0f, 0.0f));
}

// On the edge i = 0 only the face through (1, j + 1) and (1, j - 1) is left: the normal is
// perpendicular to both edges to them, whatever the other heights around are.
TEST_F(TerrainNormals, EdgeVertexUsesOnlyThePairLeftOnTheGrid)
{
    setPlane(0.0f, 0.0f);
    const int j = 40;
    terrain.heights[1][j + 1] = 70.0f;
    terrain.heights[1][j - 1] = 45.0f;
    terrain.heights[0][j + 1] = 10.0f;
    terrain.heights[1][j] = 90.0f;
    const glm::vec3 p(0.0f, 50.0f, 50.0f * j);
    const glm::vec3 toCn = glm::vec3(50.0f, 70.0f, 50.0f * (j + 1)) - p;
    const glm::vec3 toD = glm::vec3(50.0f, 45.0f, 50.0f * (j - 1)) - p;
    const glm::vec3 n = terrain.computeNormal(0, j);
    EXPECT_NEAR(glm::dot(n, glm::normalize(toCn)), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(n, glm::normalize(toD)), 0.0f, 1e-5f);
    EXPECT_GT(n.y, 0.0f);
    EXPECT_NEAR(glm::length(n), 1.0f, 1e-5f);
}

// A single raised point: by symmetry its own normal is straight up, and each diagonal neighbour
// leans away from it.
TEST_F(TerrainNormals, PeakIsUpAndItsNeighboursLeanAway)
{
    setPlane(0.0f, 0.0f);
    terrain.heights[50][50] = 80.0f;
    expectNear(terrain.computeNormal(50, 50), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec3 beyond = terrain.computeNormal(51, 51);
    EXPECT_GT(beyond.x, 0.0f);
    EXPECT_GT(beyond.z, 0.0f);
    const glm::vec3 before = terrain.computeNormal(49, 51);
    EXPECT_LT(before.x, 0.0f);
    EXPECT_GT(before.z, 0.0f);
}

}
