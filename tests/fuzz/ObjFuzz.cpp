#include "app/Geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// Any OBJ text: whole triangles only, one index entry per vertex, finite positions and a true box.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    glm::vec3 extents(-1.0f);
    Geometry::readObj(std::string(reinterpret_cast<const char*>(data), size), "fuzz/model.obj", vertices, indices,
                      extents);
    if (vertices.size() != indices.size() || vertices.size() % 3 != 0) {
        std::abort();
    }
    // The box may pass the range of float (corners at -3e38 and 3e38), but never be negative or nan.
    for (int axis = 0; axis < 3; ++axis) {
        if (std::isnan(extents[axis]) || extents[axis] < 0.0f) {
            std::abort();
        }
    }
    for (const Vertex& vertex : vertices) {
        if (!std::isfinite(vertex.position.x) || !std::isfinite(vertex.normal.y) || !std::isfinite(vertex.uv.x)) {
            std::abort();
        }
    }
    return 0;
}
