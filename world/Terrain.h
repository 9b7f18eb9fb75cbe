#pragma once

#include "world/StaticGameObject.h"
#include "world/physics/HeightFieldDesc.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

class Shader;
struct Texture;

// The glacier slope: a 129 x 129 height grid made once by diamond-square subdivision from the
// seeded random helpers and normalised to 0..100. Grid point (i, j) lies at world
// x = -3200 + 50 i, z = -3200 + 50 j; rows run along x, columns along z; only 0..127 is used,
// row and column 128 stay 0. Heights are made here; the mesh and its drawing live in TerrainMesh.cpp.
class Terrain : public virtual StaticGameObject {
public:
    Terrain();
    ~Terrain() override;

    // The 16384-vertex grid mesh with two triangles per cell.
    void initGeometry() override;
    // Tessellated, displaced and lit, with the sun's shadows.
    void draw() override;
    void drawShadow(std::shared_ptr<Shader> shader) override;
    physics::TriangleMeshDesc getTriangleMeshDesc() override;

    void generateHeights();
    void diamondStep(int row, int col, int step, float offset);
    void squareStep(int row, int col, int step, float offset);
    // The blended height under a world point; -200 off the grid.
    float getHeightAt(float x, float z);
    glm::vec3 randomPoint();
    // A random point near `centre` at the terrain height there plus yOffset.
    glm::vec3 randomPointNear(glm::vec3 centre, float sigmaX, float sigmaZ, float yOffset);
    // 128 x 128 samples, the heights cut to whole units inside a border ring of 10000.
    physics::HeightFieldDesc getHeightFieldDesc();
    glm::vec3 computeNormal(int i, int j);

    float getHeight(int i, int j);
    glm::vec3 getGridPoint(int i, int j);
    glm::vec3 getSurfacePoint(float x, float z);

    // The terrain frame: grid point (i, j), i and j in 0..gridSize - 1, lies at world
    // x = gridOrigin + gridSpacing i, z = gridOrigin + gridSpacing j.
    static constexpr int gridSize = 128;
    static constexpr float gridOrigin = -3200.0f;
    static constexpr float gridSpacing = 50.0f;

    std::vector<std::vector<float>> heights;
    std::shared_ptr<Texture> displacementTexture;
    bool wireframe = false;
    // The terrain's own previous view-projection, sent as "oldviewProjMatrix".
    glm::mat4 previousViewProjection = glm::mat4(1.0f);

private:
    // The sampler through which the slope compares its distances with the shadow cube's, made at
    // the first draw.
    GLuint shadowSampler();
    GLuint comparingSampler = 0;
    // The sampler through which the slope reads its picture and relief from their mip levels, made
    // at the first draw: the shared textures keep the linear filter they were loaded with.
    GLuint pictureSampler();
    GLuint mipmapSampler = 0;
};

// Enables vertex attribute 0 and returns its argument; nothing calls it.
int enableVertexAttrib0(int value);
