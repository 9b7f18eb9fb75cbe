#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace physics {

// A rigid pose: the rotation applied first, then the translation.
struct Transform {
    glm::vec3 p = glm::vec3(0.0f);
    glm::quat q = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
};

}
