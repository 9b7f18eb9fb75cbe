#include "world/Camera.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kSensitivity = 0.1f;
}

Camera::Camera()
{
    updateProjection();
}

void Camera::updateProjection()
{
    projection = glm::perspectiveRH_NO(fov * kDegreesToRadians, aspect, near, far);
}

float Camera::constrainedPitch(float pitch)
{
    if (pitch > 10.0f) {
        pitch = 10.0f;
    }
    if (pitch < -40.0f) {
        pitch = -40.0f;
    }
    return pitch;
}

void Camera::processMouseMovement(float xoffset, float yoffset, bool constrainPitch)
{
    yaw += xoffset * kSensitivity;
    pitch += yoffset * kSensitivity;
    if (constrainPitch) {
        pitch = constrainedPitch(pitch);
    } else {
        if (pitch > 180.0f) {
            pitch = 0.0f;
        }
        if (pitch < -180.0f) {
            pitch = 0.0f;
        }
    }
    float y = yaw * kDegreesToRadians;
    float p = pitch * kDegreesToRadians;
    front = glm::normalize(glm::vec3(std::cos(y) * std::cos(p), std::sin(p), std::sin(y) * std::cos(p)));
    right = glm::normalize(glm::cross(front, glm::vec3(0.0f, 1.0f, 0.0f)));
    up = glm::normalize(glm::cross(right, front));
}
