#pragma once

#include "app/Vertex.h"

#include "world/physics/Transform.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Camera;
class Shader;
class Sun;
struct Material;
struct Texture;

namespace physics {
class PhysicsWorld;
struct PhysicsMaterial;
class RigidActor;
}

// Abstract base of every scene object: its matrices, its mesh and GL buffers, and the shared
// camera, sun, program and material it is drawn with. The World and the subclasses write the
// pose, extents, camera, sun and texture directly.
class GameObject {
public:
    GameObject() = default;
    virtual ~GameObject();

    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    virtual void initGeometry() = 0;
    // Lit draw into the scene targets; sends the previous draw's view-projection for motion vectors.
    virtual void draw();
    // Depth-only draw with the caller's program, which the caller has selected and set up.
    virtual void drawShadow(std::shared_ptr<Shader> shader);
    // Copies the physics pose into the object, after each step's results are in.
    virtual void updateFromPhysics() = 0;
    // Builds the object's body with the world's material; `type` (0 player, 1 rock, 2 skier)
    // becomes its dominance group. The body is not added to the scene here.
    virtual bool initPhysics(physics::PhysicsWorld* physics, physics::PhysicsMaterial* material, std::uint8_t type,
                             physics::PhysicsWorld* cooking) = 0;
    virtual physics::RigidActor* getActor() = 0;

    void setShader(std::shared_ptr<Shader> newShader);
    void setMaterial(std::shared_ptr<Material> newMaterial);
    void setVertices(std::vector<Vertex> newVertices);
    void setIndices(std::vector<GLushort> newIndices);

    bool setupBuffers();
    void updateModelMatrix();
    // At `position` with the identity rotation; `rotation` is not consulted.
    physics::Transform getPxTransform();
    bool createShader(const char* vertexPath, const char* fragmentPath);

    glm::mat4 model = glm::mat4(1.0f);
    glm::mat4 oldViewProjection = glm::mat4(1.0f);
    glm::mat4 rotation = glm::mat4(1.0f);
    glm::vec3 position = glm::vec3(0.0f);
    float scale = 1.0f;
    std::shared_ptr<Shader> shader;
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Texture> texture;
    std::shared_ptr<Material> material;
    std::shared_ptr<Sun> sun;
    std::vector<Vertex> vertices;
    std::vector<GLushort> indices;
    glm::vec3 halfExtents = glm::vec3(0.0f);
    glm::vec3 extents = glm::vec3(0.0f);
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;
    std::string modelFile;

private:
    bool reportedIncomplete = false;
};
