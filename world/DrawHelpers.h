#pragma once

#include "app/Vertex.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <vector>

class Camera;
class Shader;

// The camera's view: lookAt(position, position + front, up).
glm::mat4 viewMatrix(const Camera& camera);

// The camera's view-projection as every scene draw computes it: projection x viewMatrix.
glm::mat4 viewProjection(const Camera& camera);

// Translation x rotation x uniform scale: the scale applies first, the translation last.
glm::mat4 composeModelMatrix(const glm::vec3& position, const glm::mat4& rotation, float scale);

// Uploads a mesh in the Vertex layout (attributes 0, 1, 2 at offsets 0, 12, 24, stride 32)
// with its 16-bit index list. The new vertex array and both buffers are left bound.
void createMeshBuffers(const std::vector<Vertex>& vertices, const std::vector<GLushort>& indices, GLuint& vao,
                       GLuint& vbo, GLuint& ebo);

// "modelMatrix", "normalMatrix" (the inverse transpose of the model) and "viewProjMatrix".
void setTransformUniforms(Shader& shader, const glm::mat4& model, const glm::mat4& viewProj);
