#include "world/Terrain.h"

#include "app/Shader.h"
#include "app/Texture.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Sun.h"

#include <glm/gtc/type_ptr.hpp>

#include <initializer_list>
#include <utility>

namespace {

constexpr int kGrid = Terrain::gridSize;

glm::vec3 gridPosition(const std::vector<std::vector<float>>& heights, int i, int j)
{
    return glm::vec3(Terrain::gridOrigin + Terrain::gridSpacing * static_cast<float>(i), heights[i][j],
                     Terrain::gridOrigin + Terrain::gridSpacing * static_cast<float>(j));
}

GLuint makeSampler(std::initializer_list<std::pair<GLenum, GLint>> parameters)
{
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    for (const auto& [name, value] : parameters) {
        glSamplerParameteri(sampler, name, value);
    }
    return sampler;
}

bool usable(int i, int j)
{
    return i >= 0 && i < kGrid && j >= 0 && j < kGrid;
}

// Two triangles per cell, (i, j+1), (i+1, j), (i, j) and (i, j+1), (i+1, j+1), (i+1, j), with
// vertex (i, j) at 128 i + j.
template <typename Index>
std::vector<Index> gridTriangles()
{
    std::vector<Index> list;
    list.reserve(static_cast<size_t>((kGrid - 1) * (kGrid - 1) * 6));
    for (int i = 0; i < kGrid - 1; ++i) {
        for (int j = 0; j < kGrid - 1; ++j) {
            const int b = kGrid * i + j;
            for (int index : {b + 1, b + kGrid, b, b + 1, b + kGrid + 1, b + kGrid}) {
                list.push_back(static_cast<Index>(index));
            }
        }
    }
    return list;
}

}

glm::vec3 Terrain::computeNormal(int i, int j)
{
    const glm::vec3 p = gridPosition(heights, i, j);
    auto edge = [&](int ni, int nj) { return gridPosition(heights, ni, nj) - p; };
    // A, B, Cn, D: the diagonal neighbours going round, each pair of consecutive ones a face.
    const int around[4][2] = {{i - 1, j - 1}, {i - 1, j + 1}, {i + 1, j + 1}, {i + 1, j - 1}};
    glm::vec3 sum(0.0f);
    for (int k = 0; k < 4; ++k) {
        const int* first = around[k];
        const int* second = around[(k + 1) % 4];
        if (usable(first[0], first[1]) && usable(second[0], second[1])) {
            sum += glm::normalize(glm::cross(edge(first[0], first[1]), edge(second[0], second[1])));
        }
    }
    if (sum == glm::vec3(0.0f)) {
        // A corner of the grid has only one diagonal neighbour and no pair; it takes the plane
        // through its two neighbours along the edges, so it is lit as the slope there is instead
        // of carrying no direction at all.
        const int di = i == 0 ? 1 : -1;
        const int dj = j == 0 ? 1 : -1;
        sum = glm::cross(edge(i, j + dj), edge(i + di, j));
        if (sum.y < 0.0f) {
            sum = -sum;
        }
    }
    return glm::normalize(sum);
}

void Terrain::initGeometry()
{
    vertices.reserve(vertices.size() + static_cast<size_t>(kGrid * kGrid));
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            Vertex vertex;
            vertex.position = gridPosition(heights, i, j);
            vertex.normal = computeNormal(i, j);
            // Every cell maps the whole picture, mirrored from one cell to the next.
            vertex.uv = glm::vec2(static_cast<float>(i & 1), static_cast<float>(j & 1));
            vertices.push_back(vertex);
        }
    }
    const std::vector<GLushort> cells = gridTriangles<GLushort>();
    indices.insert(indices.end(), cells.begin(), cells.end());
}

void Terrain::draw()
{
    // Without its program (reported at set-up), a camera or the sun there is no slope to draw.
    if (!shader || !camera || !sun) {
        return;
    }
    shader->use();
    glBindVertexArray(vao);
    if (wireframe) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    }

    const GLuint diffuseId = texture ? texture->id : 0;
    const GLuint displacementId = displacementTexture ? displacementTexture->id : 0;
    const glm::vec4 sunColor = sun->getColor();
    setTransformUniforms(*shader, model, viewProjection(*camera));
    glUniformMatrix4fv(shader->getUniformLocation("oldviewProjMatrix"), 1, GL_FALSE,
                       glm::value_ptr(previousViewProjection));
    glUniform3fv(shader->getUniformLocation("camera_world"), 1, glm::value_ptr(camera->position));
    glUniform3f(shader->getUniformLocation("materialCoefficients"), 0.5f, 0.4f, 0.03f);
    glUniform3f(shader->getUniformLocation("color"), 0.5f, 0.4f, 0.3f);
    glUniform1f(shader->getUniformLocation("specularAlpha"), 1.0f);
    glUniform3f(shader->getUniformLocation("dirL.color"), sunColor.r, sunColor.g, sunColor.b);
    glUniform3fv(shader->getUniformLocation("dirL.direction"), 1, glm::value_ptr(sun->getDirection()));
    glUniform1i(shader->getUniformLocation("diffuseTexture"), static_cast<GLint>(diffuseId));
    glUniform1i(shader->getUniformLocation("textureDisplacementMap"), static_cast<GLint>(displacementId));
    glUniform1f(shader->getUniformLocation("textureDipsFactor"), 5.0f);
    glActiveTexture(GL_TEXTURE0 + diffuseId);
    glBindTexture(GL_TEXTURE_2D, diffuseId);
    glActiveTexture(GL_TEXTURE0 + displacementId);
    glBindTexture(GL_TEXTURE_2D, displacementId);
    // The slope is seen from near to far, and its relief is averaged over whole patches: both are
    // read from their mip levels through a sampler of this draw's own, so the shared textures keep
    // the state they were loaded with.
    glBindSampler(diffuseId, pictureSampler());
    glBindSampler(displacementId, pictureSampler());
    sun->setLitUniforms(*shader, *camera);
    // The slope reads the shadow cube through a comparing sampler on the cube's unit, for this draw
    // only: the objects' program reads the same cube's distances as they are.
    const GLuint shadowUnit = sun->shadowCubeTexture;
    glBindSampler(shadowUnit, shadowSampler());

    // Each triangle of the index list is one patch; set here because the patch size is shared
    // state that another program's draw may have changed.
    glPatchParameteri(GL_PATCH_VERTICES, 3);
    glDrawElements(GL_PATCHES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    for (GLuint unit : {shadowUnit, diffuseId, displacementId}) {
        glBindSampler(unit, 0);
    }
    glBindVertexArray(0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    previousViewProjection = viewProjection(*camera);
}

GLuint Terrain::shadowSampler()
{
    if (comparingSampler == 0) {
        comparingSampler = makeSampler({{GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                        {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                        {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                        {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE},
                                        {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE},
                                        {GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE},
                                        {GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL}});
    }
    return comparingSampler;
}

GLuint Terrain::pictureSampler()
{
    if (mipmapSampler == 0) {
        mipmapSampler = makeSampler({{GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR},
                                     {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                     {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                     {GL_TEXTURE_WRAP_T, GL_REPEAT}});
    }
    return mipmapSampler;
}

void Terrain::drawShadow(std::shared_ptr<Shader> shadowShader)
{
    if (!shadowShader) {
        return;
    }
    glBindVertexArray(vao);
    glUniformMatrix4fv(shadowShader->getUniformLocation("modelMatrix"), 1, GL_FALSE, glm::value_ptr(model));
    // Indexed: the grid has one vertex per point, far fewer than it has indices, so an unindexed
    // draw of that many vertices would read past the end of the vertex buffer.
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    glBindVertexArray(0);
}

physics::TriangleMeshDesc Terrain::getTriangleMeshDesc()
{
    // From the heights, so the description does not depend on the mesh having been built.
    physics::TriangleMeshDesc desc;
    desc.points.reserve(static_cast<size_t>(kGrid * kGrid));
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            desc.points.push_back(gridPosition(heights, i, j));
        }
    }
    desc.triangles = gridTriangles<std::uint32_t>();
    return desc;
}

int enableVertexAttrib0(int value)
{
    glEnableVertexAttribArray(0);
    return value;
}
