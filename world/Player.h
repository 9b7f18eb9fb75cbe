#pragma once

#include "world/DynamicGameObject.h"
#include "world/physics/BoxControllerDesc.h"
#include "world/physics/ControllerHitReport.h"

#include <glm/glm.hpp>

#include <memory>

class Terrain;

namespace physics {
class BoxController;
}

// The figure at the centre of the show: the camera stands behind it, spawns are drawn around it,
// and the number of snow effects follows its size. Its physics is a box character controller,
// not a rigid body; the hit report grows it on skiers and shrinks it on rocks.
// The member function scale(factor) hides the inherited field: that is GameObject::scale.
class Player : public DynamicGameObject, public physics::ControllerHitReport {
public:
    Player();
    ~Player() override;

    // The mesh comes from the model table at registration.
    void initGeometry() override;

    physics::BoxControllerDesc& makeControllerDesc(physics::BoxControllerDesc& desc,
                                                   physics::PhysicsMaterial* material);
    // Multiplies the scale and extents by factor and resizes the controller's box.
    void scale(float factor);
    void updateCameraVectors();
    // Places the camera 100 behind and 15 above the player, looking at it.
    void updateCamera();
    void move(int direction, float dt);
    void rotate(float xoffset, float yoffset, bool constrainPitch);

    void onShapeHit(const physics::ControllerShapeHit& hit) override;
    void onControllerHit(const physics::ControllersHit& hit) override;
    void onObstacleHit(const physics::ControllerObstacleHit& hit) override;

    glm::vec3 front = glm::vec3(0.0f, 0.0f, -1.0f);
    glm::vec3 up = glm::vec3(0.0f, 1.0f, 0.0f);
    glm::vec3 right = glm::vec3(1.0f, 0.0f, 0.0f);
    float yaw = -90.0f;
    float pitch = 0.0f;
    physics::BoxController* controller = nullptr;
    std::int32_t hitCounter = 0;
    float speed = 2.0f;
    std::shared_ptr<Terrain> terrain;
};
