#include "effects/Background.h"

#include "app/Shader.h"
#include "app/Texture.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"

#include <glm/gtc/type_ptr.hpp>

namespace {

// Walls at z = +1, x = -1, z = -1 and x = +1, four vertices each; both x walls carry (1, 0, 0).
const Vertex kWalls[16] = {
    {{-1, -1, 1}, {0, 0, 1}, {0, 0}},   {{1, -1, 1}, {0, 0, 1}, {1, 0}},
    {{1, 1, 1}, {0, 0, 1}, {1, 1}},     {{-1, 1, 1}, {0, 0, 1}, {0, 1}},
    {{-1, -1, 1}, {1, 0, 0}, {0, 0}},   {{-1, 1, 1}, {1, 0, 0}, {0, 1}},
    {{-1, 1, -1}, {1, 0, 0}, {1, 1}},   {{-1, -1, -1}, {1, 0, 0}, {1, 0}},
    {{-1, -1, -1}, {0, 0, -1}, {1, 0}}, {{-1, 1, -1}, {0, 0, -1}, {1, 1}},
    {{1, 1, -1}, {0, 0, -1}, {0, 1}},   {{1, -1, -1}, {0, 0, -1}, {0, 0}},
    {{1, -1, -1}, {1, 0, 0}, {0, 0}},   {{1, -1, 1}, {1, 0, 0}, {1, 0}},
    {{1, 1, 1}, {1, 0, 0}, {1, 1}},     {{1, 1, -1}, {1, 0, 0}, {0, 1}},
};

}

Background::Background()
{
    vertices.assign(std::begin(kWalls), std::end(kWalls));
    for (GLushort base = 0; base < 16; base += 4) {
        const GLushort quad[6] = {base, GLushort(base + 1), GLushort(base + 2), GLushort(base + 2), GLushort(base + 3),
                                  base};
        indices.insert(indices.end(), std::begin(quad), std::end(quad));
    }
}

Background::~Background() = default;

void Background::initGeometry() {}

physics::TriangleMeshDesc Background::getTriangleMeshDesc()
{
    return {};
}

void Background::draw()
{
    // Without its program (reported at set-up) or a camera there is no backdrop to draw.
    if (!shader || !camera) {
        return;
    }
    shader->use();
    glBindVertexArray(vao);

    const GLuint textureId = texture ? texture->id : 0;
    setTransformUniforms(*shader, model, viewProjection(*camera));
    glUniformMatrix4fv(shader->getUniformLocation("oldviewProjMatrix"), 1, GL_FALSE,
                       glm::value_ptr(previousViewProjection));
    glUniform3fv(shader->getUniformLocation("camera_world"), 1, glm::value_ptr(camera->position));
    glUniform3fv(shader->getUniformLocation("materialCoefficients"), 1, glm::value_ptr(glm::vec3(0.4f, 0.9f, 0.3f)));
    glUniform3fv(shader->getUniformLocation("color"), 1, glm::value_ptr(glm::vec3(0.5f, 0.4f, 0.3f)));
    glUniform1f(shader->getUniformLocation("specularAlpha"), 10.0f);
    glUniform3fv(shader->getUniformLocation("dirL.color"), 1, glm::value_ptr(glm::vec3(0.8f, 0.8f, 0.8f)));
    glUniform3fv(shader->getUniformLocation("dirL.direction"), 1, glm::value_ptr(glm::vec3(0.0f, -1.0f, -1.0f)));
    glUniform1i(shader->getUniformLocation("diffuseTexture"), static_cast<GLint>(textureId));
    glActiveTexture(GL_TEXTURE0 + textureId);
    glBindTexture(GL_TEXTURE_2D, textureId);

    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    glBindVertexArray(0);

    previousViewProjection = viewProjection(*camera);
}
