#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

namespace physics {

// A triangle mesh to cook: points and three 32-bit indices per triangle. An empty description
// (no points, no triangles) cooks into no mesh. The description owns its arrays.
struct TriangleMeshDesc {
    std::vector<glm::vec3> points;
    std::vector<std::uint32_t> triangles;
    unsigned flags = 0;
};

}
