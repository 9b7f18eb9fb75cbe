#pragma once

#include <glm/glm.hpp>

#include <cstddef>

// The vertex of every mesh, also the GPU buffer layout: attributes 0, 1, 2 at offsets 0, 12, 24.
struct Vertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

static_assert(sizeof(Vertex) == 32, "Vertex must be 32 bytes");
static_assert(offsetof(Vertex, position) == 0, "position at byte 0");
static_assert(offsetof(Vertex, normal) == 12, "normal at byte 12");
static_assert(offsetof(Vertex, uv) == 24, "uv at byte 24");
