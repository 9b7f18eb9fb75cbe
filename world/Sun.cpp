#include "world/Sun.h"

#include "app/Shader.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <cmath>
#include <stdexcept>

namespace {

constexpr float kPi = 3.1415927f;
constexpr int kSegments = 64;
constexpr int kRings = 31;

// Rotation of the look-at from the origin for each face, columns as glm stores them.
const std::array<glm::mat4, 6> kFaceBases = {
    glm::mat4(glm::vec4(0, 0, -1, 0), glm::vec4(0, -1, 0, 0), glm::vec4(-1, 0, 0, 0), glm::vec4(0, 0, 0, 1)),
    glm::mat4(glm::vec4(0, 0, 1, 0), glm::vec4(0, -1, 0, 0), glm::vec4(1, 0, 0, 0), glm::vec4(0, 0, 0, 1)),
    glm::mat4(glm::vec4(1, 0, 0, 0), glm::vec4(0, 0, 1, 0), glm::vec4(0, -1, 0, 0), glm::vec4(0, 0, 0, 1)),
    glm::mat4(glm::vec4(1, 0, 0, 0), glm::vec4(0, 0, -1, 0), glm::vec4(0, 1, 0, 0), glm::vec4(0, 0, 0, 1)),
    glm::mat4(glm::vec4(1, 0, 0, 0), glm::vec4(0, -1, 0, 0), glm::vec4(0, 0, -1, 0), glm::vec4(0, 0, 0, 1)),
    glm::mat4(glm::vec4(-1, 0, 0, 0), glm::vec4(0, -1, 0, 0), glm::vec4(0, 0, 1, 0), glm::vec4(0, 0, 0, 1)),
};

glm::mat4 faceProjection(int width, int height, float near, float far)
{
    return glm::perspectiveRH_NO(1.5707964f, static_cast<float>(width) / static_cast<float>(height), near, far);
}

// Vertex of ring r (1..31) and segment j.
GLushort ringVertex(int r, int j)
{
    return static_cast<GLushort>(2 + kSegments * (r - 1) + j);
}

}

Sun::Sun(int width, int height, float near, float far, glm::vec4 color)
    : color(color), projection(faceProjection(width, height, near, far)), near(near), far(far)
{
    updateShadowMatrices();
}

glm::vec4 Sun::getColor()
{
    return color;
}

glm::vec3 Sun::getDirection()
{
    return glm::normalize(-position);
}

glm::mat4 Sun::getShadowMatrix(int face)
{
    if (face < 0 || static_cast<size_t>(face) >= shadowMatrices.size()) {
        throw std::out_of_range("invalid vector subscript");
    }
    return shadowMatrices[static_cast<size_t>(face)];
}

void Sun::updateShadowMatrices()
{
    viewMatrices.clear();
    shadowMatrices.clear();
    const glm::mat4 translation = glm::translate(glm::mat4(1.0f), position);
    for (const glm::mat4& basis : kFaceBases) {
        const glm::mat4 view = translation * basis;
        viewMatrices.push_back(view);
        shadowMatrices.push_back(projection * view);
    }
}

void Sun::updateModelMatrix()
{
    model = composeModelMatrix(position, rotation, scale);
}

void Sun::generateSphere()
{
    vertices.push_back({glm::vec3(0, 1, 0), glm::vec3(0, 1, 0), glm::vec2(0.5f, 1.0f)});
    vertices.push_back({glm::vec3(0, -1, 0), glm::vec3(0, -1, 0), glm::vec2(0.5f, 0.0f)});

    for (int j = 0; j < kSegments; ++j) {
        const int k = (j + 1) % kSegments;
        indices.insert(indices.end(), {0, ringVertex(1, k), ringVertex(1, j), ringVertex(kRings, j),
                                       ringVertex(kRings, k), 1});
    }

    for (int r = 1; r <= kRings; ++r) {
        const float theta = static_cast<float>(r) * kPi * 0.03125f;
        for (int j = 0; j < kSegments; ++j) {
            const float phi = static_cast<float>(2 * j) * kPi * 0.015625f;
            const glm::vec3 point(std::cos(phi) * std::sin(theta), std::cos(theta), std::sin(phi) * std::sin(theta));
            vertices.push_back({point, glm::normalize(point), glm::vec2(phi / 6.2831855f, theta / kPi)});
            if (r > 1) {
                const int k = (j + 1) % kSegments;
                indices.insert(indices.end(), {ringVertex(r, j), ringVertex(r - 1, k), ringVertex(r, k),
                                               ringVertex(r - 1, k), ringVertex(r, j), ringVertex(r - 1, j)});
            }
        }
    }
}

bool Sun::setupBuffers()
{
    createMeshBuffers(vertices, indices, vao, vbo, ebo);
    return true;
}

void Sun::updateProjection(int width, int height)
{
    projection = faceProjection(width, height, near, far);
}

void Sun::draw()
{
    if (!shader || !camera) {
        return;
    }
    shader->use();
    glBindVertexArray(vao);
    setTransformUniforms(*shader, model, viewProjection(*camera));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    glBindVertexArray(0);
}

void Sun::setLitUniforms(Shader& program, const Camera& viewer)
{
    glActiveTexture(GL_TEXTURE0 + shadowCubeTexture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeTexture);
    glUniform4f(program.getUniformLocation("WS_pos_light"), position.x, position.y, position.z, 1.0f);
    glUniform2f(program.getUniformLocation("near_far"), viewer.near, viewer.far);
    glUniform1i(program.getUniformLocation("cubemap_tex"), static_cast<GLint>(shadowCubeTexture));
}
