#pragma once

#include <glm/glm.hpp>

namespace physics {

struct PhysicsMaterial;
class ControllerHitReport;

enum class NonWalkableMode { PreventClimbing, PreventClimbingAndForceSliding };

// What a box character controller is made from, with the defaults of a new description.
struct BoxControllerDesc {
    // The centre of the box.
    glm::dvec3 position = glm::dvec3(0.0);
    glm::vec3 upDirection = glm::vec3(0.0f, 1.0f, 0.0f);
    float slopeLimit = 0.707f;
    float invisibleWallHeight = 0.0f;
    float maxJumpHeight = 0.0f;
    float contactOffset = 0.1f;
    float stepOffset = 0.5f;
    float density = 10.0f;
    float scaleCoeff = 0.8f;
    float volumeGrowth = 1.5f;
    ControllerHitReport* reportCallback = nullptr;
    void* behaviorCallback = nullptr;
    NonWalkableMode nonWalkableMode = NonWalkableMode::PreventClimbing;
    const PhysicsMaterial* material = nullptr;
    bool registerDeletionListener = true;
    void* userData = nullptr;
    float halfHeight = 1.0f;
    float halfSideExtent = 0.5f;
    float halfForwardExtent = 0.5f;

    // False for a description no controller can be made from: a half extent not positive, a step
    // offset above twice the half height, a negative density, slope limit or step offset, a contact
    // offset not positive, a scale coefficient below 0, a volume growth below 1, no material, a
    // number or position that is not finite, or an up direction of length 0.
    bool isValid() const;
};

}
