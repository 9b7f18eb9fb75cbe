#pragma once

#include "app/Vertex.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>
#include <vector>

class Camera;
class Shader;

// The scene's light: its colour and position, the six face matrices of its depth cube map,
// and a unit sphere that could show it (prepared, never drawn by the run).
class Sun {
public:
    Sun(int width, int height, float near, float far, glm::vec4 color);

    glm::vec4 getColor();
    // From the light towards the origin.
    glm::vec3 getDirection();
    // Face order +x, -x, -y, +y, +z, -z; throws std::out_of_range outside it.
    glm::mat4 getShadowMatrix(int face);
    void updateShadowMatrices();
    void updateModelMatrix();
    void generateSphere();
    bool setupBuffers();
    void updateProjection(int width, int height);
    void draw();

    // The part every lit draw shares: binds the shadow cube map on the unit of its own name and
    // sets "WS_pos_light", "near_far" and "cubemap_tex" on the selected program.
    void setLitUniforms(Shader& program, const Camera& viewer);

    glm::vec4 color;
    GLuint shadowCubeTexture = 0;
    glm::mat4 projection = glm::mat4(1.0f);
    std::vector<glm::mat4> viewMatrices;
    std::vector<glm::mat4> shadowMatrices;
    glm::mat4 model = glm::mat4(1.0f);
    glm::mat4 rotation = glm::mat4(1.0f);
    glm::vec3 position = glm::vec3(0.0f);
    float scale = 1.0f;
    std::shared_ptr<Shader> shader;
    std::shared_ptr<Camera> camera;
    std::vector<Vertex> vertices;
    std::vector<GLushort> indices;
    float near;
    float far;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;
};
