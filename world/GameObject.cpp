#include "world/GameObject.h"

#include "app/Material.h"
#include "app/Shader.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Sun.h"

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <iostream>

GameObject::~GameObject()
{
    // Names are 0 until setupBuffers; skipping them keeps an object that never reached the GPU
    // free of GL calls (deleting name 0 would do nothing anyway).
    if (vbo != 0) {
        glDeleteBuffers(1, &vbo);
    }
    if (ebo != 0) {
        glDeleteBuffers(1, &ebo);
    }
    if (vao != 0) {
        glDeleteVertexArrays(1, &vao);
    }
}

void GameObject::setShader(std::shared_ptr<Shader> newShader)
{
    shader = newShader;
}

void GameObject::setMaterial(std::shared_ptr<Material> newMaterial)
{
    material = newMaterial;
}

void GameObject::setVertices(std::vector<Vertex> newVertices)
{
    vertices = newVertices;
}

void GameObject::setIndices(std::vector<GLushort> newIndices)
{
    indices = newIndices;
}

bool GameObject::setupBuffers()
{
    createMeshBuffers(vertices, indices, vao, vbo, ebo);
    return true;
}

void GameObject::updateModelMatrix()
{
    model = composeModelMatrix(position, rotation, scale);
}

physics::Transform GameObject::getPxTransform()
{
    physics::Transform pose;
    pose.p = position;
    return pose;
}

bool GameObject::createShader(const char* vertexPath, const char* fragmentPath)
{
    shader = std::make_shared<Shader>();
    shader->loadFromFiles(vertexPath, fragmentPath, "", "");
    return true;
}

void GameObject::draw()
{
    if (!shader || !camera || !material || !sun) {
        // Without these there is nothing meaningful to draw; say so once instead of every frame.
        if (!reportedIncomplete) {
            std::cerr << "\ngame object " << modelFile << " not drawn: its shader, camera, material or sun is not set"
                      << std::endl;
            reportedIncomplete = true;
        }
        return;
    }
    shader->use();
    glBindVertexArray(vao);

    const glm::mat4 normalMatrix = glm::inverseTranspose(model);
    const glm::mat4 viewProj = viewProjection(*camera);
    const glm::vec4 lightColor = sun->getColor();
    glUniformMatrix4fv(shader->getUniformLocation("modelMatrix"), 1, GL_FALSE, glm::value_ptr(model));
    glUniformMatrix4fv(shader->getUniformLocation("oldviewProjMatrix"), 1, GL_FALSE, glm::value_ptr(oldViewProjection));
    glUniformMatrix4fv(shader->getUniformLocation("normalMatrix"), 1, GL_FALSE, glm::value_ptr(normalMatrix));
    glUniformMatrix4fv(shader->getUniformLocation("viewProjMatrix"), 1, GL_FALSE, glm::value_ptr(viewProj));
    glUniform3fv(shader->getUniformLocation("camera_world"), 1, glm::value_ptr(camera->position));
    glUniform3f(shader->getUniformLocation("light.color"), lightColor.r, lightColor.g, lightColor.b);
    glUniform3fv(shader->getUniformLocation("light.direction"), 1, glm::value_ptr(sun->getDirection()));
    glUniform1f(shader->getUniformLocation("material.metallic"), material->metallic);
    glUniform1f(shader->getUniformLocation("material.roughness"), material->roughness);
    glUniform3fv(shader->getUniformLocation("material.F0"), 1, glm::value_ptr(material->F0));
    glUniform3fv(shader->getUniformLocation("material.ambient"), 1, glm::value_ptr(material->color));
    sun->setLitUniforms(*shader, *camera);

    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(indices.size()));
    glBindVertexArray(0);

    oldViewProjection = viewProj;
}

void GameObject::drawShadow(std::shared_ptr<Shader> shadowShader)
{
    if (!shadowShader) {
        return;
    }
    glBindVertexArray(vao);
    glUniformMatrix4fv(shadowShader->getUniformLocation("modelMatrix"), 1, GL_FALSE, glm::value_ptr(model));
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(indices.size()));
    glBindVertexArray(0);
}
