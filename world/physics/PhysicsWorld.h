#pragma once

#include "world/physics/PairFilter.h"
#include "world/physics/Transform.h"

#include <glm/glm.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace physics {

class BoxController;
struct BoxControllerDesc;
class HeightField;
struct HeightFieldDesc;
struct PhysicsMaterial;
class RigidActor;
class RigidDynamic;
class RigidStatic;
class SimulationEventCallback;
class TriangleMesh;
struct TriangleMeshDesc;

// What the scene is made with; the defaults are those of a new scene (no gravity).
struct SceneDesc {
    glm::vec3 gravity = glm::vec3(0.0f);
    PairFilter filterShader = defaultSimulationFilter;
    SimulationEventCallback* simulationEventCallback = nullptr;
    // Asked for, not granted: the step runs on the calling thread.
    unsigned workerThreads = 2;
};

// The closest shape a ray meets.
struct RaycastHit {
    RigidActor* actor = nullptr;
    glm::vec3 position = glm::vec3(0.0f);
    glm::vec3 normal = glm::vec3(0.0f);
    float distance = 0.0f;
    // For a height field 2 * (r * nbColumns + c) + k, k being the cell's first (0) or second (1)
    // triangle; for a mesh the triangle's index; 0 otherwise.
    unsigned faceIndex = 0;
};

// The whole physics: the foundation, the physics object, the cooking of height fields and
// meshes, the dispatcher and the scene in one. It owns every material, actor, cooked shape and
// controller made through it, until release().
class PhysicsWorld {
public:
    explicit PhysicsWorld(const SceneDesc& desc);
    // release(), if it has not run.
    ~PhysicsWorld();

    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    // Starts exactly one step of dt; fetchResults completes it. No sub-steps, no interpolation.
    void simulate(float dt);
    // Completes the step started by simulate and delivers its events; true when results are in.
    bool fetchResults(bool block);

    glm::vec3 getGravity() const;
    // The number asked for in the description; the step itself runs on the calling thread.
    unsigned getWorkerThreads() const;

    PhysicsMaterial* createMaterial(float staticFriction, float dynamicFriction, float restitution);
    RigidDynamic* createRigidDynamic(const Transform& pose);
    RigidStatic* createRigidStatic(const Transform& pose);
    // Null for fewer than 2 rows or columns, or a sample count that does not match them.
    HeightField* createHeightField(const HeightFieldDesc& desc);
    // Null for an empty description, or one whose indices do not make whole triangles of its points.
    TriangleMesh* createTriangleMesh(const TriangleMeshDesc& desc);
    // Null for a description that is not valid; the controller's proxy joins the scene.
    BoxController* createController(const BoxControllerDesc& desc);

    // Puts an actor into the scene; an actor already there is left as it is.
    void addActor(RigidActor& actor);
    // The actors in the scene, in the order they were added.
    std::vector<RigidActor*> getActors(bool dynamic) const;

    // The closest shape in the scene along a ray of unit direction, within maxDistance.
    bool raycast(const glm::vec3& origin, const glm::vec3& unitDirection, float maxDistance, RaycastHit& hit) const;

    // Releases scene, dispatcher, physics, cooking and foundation, in that order, and with them
    // everything made through this world. Each part reports its name to releaseListener.
    void release();
    std::function<void(const std::string& part)> releaseListener;

    struct Parts;
    Parts& parts() const { return *state; }

private:
    std::unique_ptr<Parts> state;
};

}
