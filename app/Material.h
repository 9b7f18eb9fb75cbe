#pragma once

#include <glm/glm.hpp>

#include <string>

// One record of materials.dat, sent to the lit programs as "material.*".
struct Material {
    std::string name;
    glm::vec3 F0 = glm::vec3(0.0f);
    glm::vec3 color = glm::vec3(0.0f);
    float roughness = 0.0f;
    float metallic = 0.0f;
};
