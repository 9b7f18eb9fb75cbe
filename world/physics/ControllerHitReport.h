#pragma once

#include <glm/glm.hpp>

namespace physics {

class BoxController;
class RigidActor;

struct ControllerShapeHit {
    BoxController* controller = nullptr;
    glm::dvec3 worldPos = glm::dvec3(0.0);
    glm::vec3 worldNormal = glm::vec3(0.0f);
    glm::vec3 dir = glm::vec3(0.0f);
    float length = 0.0f;
    // The touched actor and, for a height field or mesh, the touched triangle.
    RigidActor* actor = nullptr;
    unsigned triangleIndex = 0;
};

struct ControllersHit {
    BoxController* controller = nullptr;
    BoxController* other = nullptr;
    glm::dvec3 worldPos = glm::dvec3(0.0);
    glm::vec3 worldNormal = glm::vec3(0.0f);
    glm::vec3 dir = glm::vec3(0.0f);
    float length = 0.0f;
};

struct ControllerObstacleHit {
    BoxController* controller = nullptr;
    glm::dvec3 worldPos = glm::dvec3(0.0);
    glm::vec3 worldNormal = glm::vec3(0.0f);
    glm::vec3 dir = glm::vec3(0.0f);
    float length = 0.0f;
};

// Called synchronously from a controller's move for everything the moving box touches.
class ControllerHitReport {
public:
    virtual void onShapeHit(const ControllerShapeHit& hit) = 0;
    virtual void onControllerHit(const ControllersHit& hit) = 0;
    virtual void onObstacleHit(const ControllerObstacleHit& hit) = 0;
    virtual ~ControllerHitReport();
};

}
