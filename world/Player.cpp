#include "world/Player.h"

#include "app/Globals.h"
#include "world/Camera.h"
#include "world/Terrain.h"
#include "world/physics/BoxController.h"
#include "world/physics/RigidActor.h"

#include <cmath>
#include <iostream>

namespace {
// The player's own value of pi, a little under the float nearest to it.
constexpr float kPi = 3.1415925f;
const glm::vec3 kWorldUp(0.0f, 1.0f, 0.0f);
}

Player::Player()
{
    modelFile += playerModelFile;
    updateCameraVectors();
}

Player::~Player() = default;

void Player::initGeometry() {}

physics::BoxControllerDesc& Player::makeControllerDesc(physics::BoxControllerDesc& desc,
                                                       physics::PhysicsMaterial* material)
{
    desc = physics::BoxControllerDesc();
    desc.position = glm::dvec3(model[3].x, model[3].y, model[3].z);
    desc.material = material;
    desc.density = 100.0f;
    desc.halfHeight = extents.y * 0.5f;
    desc.halfSideExtent = extents.x * 0.5f;
    desc.halfForwardExtent = extents.z * 0.5f;
    desc.reportCallback = this;
    desc.contactOffset = 0.02f;
    desc.slopeLimit = 0.2f;
    desc.stepOffset = 0.75f;
    return desc;
}

void Player::scale(float factor)
{
    GameObject::scale = GameObject::scale * factor;
    extents = extents * factor;
    updateModelMatrix();
    // Without a controller (its description was refused) only the drawn size changes.
    if (controller != nullptr) {
        controller->setHalfForwardExtent(extents.z * 0.5f);
        controller->setHalfSideExtent(extents.x * 0.5f);
        controller->setHalfHeight(extents.y * 0.5f);
    }
}

void Player::updateCameraVectors()
{
    const float yawRadians = yaw * kPi / 180.0f;
    const float pitchRadians = pitch * kPi / 180.0f;
    front = glm::normalize(glm::vec3(std::cos(yawRadians) * std::cos(pitchRadians), std::sin(pitchRadians),
                                     std::sin(yawRadians) * std::cos(pitchRadians)));
    right = glm::normalize(glm::cross(front, kWorldUp));
    up = glm::normalize(glm::cross(right, front));
    rotation = glm::mat4(1.0f);
}

void Player::updateCamera()
{
    updateCameraVectors();
    if (!camera) {
        return;
    }
    camera->position = position - 100.0f * front + 15.0f * up;
    camera->yaw = yaw;
    camera->pitch = pitch;
    camera->front = glm::normalize(position - camera->position);
    camera->up = glm::normalize(glm::cross(glm::normalize(glm::cross(camera->front, kWorldUp)), camera->front));
}

void Player::move(int direction, float dt)
{
    if (controller == nullptr) {
        return;
    }
    glm::vec3 heading(0.0f);
    switch (direction) {
    case 0:
        heading = front;
        break;
    case 1:
        heading = -front;
        break;
    case 2:
        heading = -right;
        break;
    case 3:
        heading = right;
        break;
    default:
        break;
    }
    const glm::vec3 step = dt * speed * heading;
    controller->move(glm::vec3(step.x, -2.0f * dt, step.z), 0.2f, dt);
    position = glm::vec3(controller->getPosition());
    updateModelMatrix();
    updateCamera();
}

void Player::rotate(float xoffset, float yoffset, bool constrainPitch)
{
    yaw += 0.1f * xoffset;
    pitch += 0.1f * yoffset;
    if (constrainPitch) {
        pitch = Camera::constrainedPitch(pitch);
    } else {
        if (pitch > 180.0f) {
            pitch = 0.0f;
        }
        if (pitch < -180.0f) {
            pitch = -0.0f;
        }
    }
    updateCameraVectors();
    updateModelMatrix();
    updateCamera();
}

void Player::onShapeHit(const physics::ControllerShapeHit& hit)
{
    if (hit.actor == nullptr) {
        return;
    }
    const std::uint8_t group = hit.actor->getDominanceGroup();
    if (group == 0) {
        return;
    }
    // Drawn for every rock or skier hit, used or not, so that the random sequence is the same
    // whichever was touched.
    glm::vec3 throwBack = position;
    if (terrain) {
        throwBack = terrain->randomPointNear(position, 100.0f, 100.0f, 50.0f);
    }
    if (group == 1) {
        std::cout << "onShapeHit Type Rock " << static_cast<int>(group) << std::endl;
        hitCounter -= 1;
        speed = speed * 0.9f;
        scale(0.9f);
    } else if (group == 2) {
        hitCounter += 1;
        scale(1.05f);
        speed = static_cast<float>(static_cast<double>(speed) * 1.01);
        std::cout << "onShapeHit Type Skier " << static_cast<int>(group) << std::endl;
        physics::Transform pose;
        pose.p = throwBack;
        hit.actor->setGlobalPose(pose, true);
    }
}

void Player::onControllerHit(const physics::ControllersHit&)
{
    std::cout << "onControllerHit";
}

void Player::onObstacleHit(const physics::ControllerObstacleHit&)
{
    std::cout << "onObstacleHit";
}
