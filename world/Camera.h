#pragma once

#include <glm/glm.hpp>

// The scene's one viewpoint. Users build the view matrix themselves as
// lookAt(position, position + front, up).
class Camera {
public:
    Camera();

    void updateProjection();
    void processMouseMovement(float xoffset, float yoffset, bool constrainPitch);
    // The pitch range the view is held to when constrained: -40 to 10 degrees, not symmetric.
    static float constrainedPitch(float pitch);

    glm::vec3 position = glm::vec3(0.0f, 6510.0f, 0.0f);
    glm::vec3 front = glm::vec3(0.0f, 0.0f, -1.0f);
    glm::vec3 up = glm::vec3(0.0f);
    glm::vec3 right = glm::vec3(0.0f);
    glm::vec3 worldUp = glm::vec3(0.0f, 1.0f, 0.0f);
    glm::mat4 projection = glm::mat4(1.0f);
    float yaw = -90.0f;
    float pitch = 0.0f;
    float far = 12800.0f;
    float near = 1.0f;
    float fov = 90.0f;
    float aspect = 1.0f;
};
