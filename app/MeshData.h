#pragma once

#include "app/Vertex.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

// One model of the table: a plain triangle list, its OBJ position numbers and its box size.
struct MeshData {
    std::vector<Vertex> vertices;
    // The position number of each vertex as the file writes it (from 1), cut to 16 bits.
    std::vector<uint16_t> indices;
    glm::vec3 extents = glm::vec3(0.0f);
};
