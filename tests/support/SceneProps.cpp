#include "tests/support/SceneProps.h"

#include <cmath>
#include <random>

namespace {

void addTriangle(PropMesh& mesh, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c)
{
    const glm::vec3 normal = glm::normalize(glm::cross(b - a, c - a));
    for (const glm::vec3& p : {a, b, c}) {
        mesh.indices.push_back(static_cast<GLushort>(mesh.vertices.size()));
        mesh.vertices.push_back({p, normal, glm::vec2(0.0f)});
    }
}

}

PropMesh squareMesh(const glm::vec3& centre, const glm::vec3& normal, float halfSize)
{
    const glm::vec3 n = glm::normalize(normal);
    const glm::vec3 helper = std::abs(n.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    const glm::vec3 u = glm::normalize(glm::cross(helper, n)) * halfSize;
    const glm::vec3 v = glm::cross(n, u);
    PropMesh mesh;
    addTriangle(mesh, centre - u - v, centre + u - v, centre + u + v);
    addTriangle(mesh, centre - u - v, centre + u + v, centre - u + v);
    return mesh;
}

PropMesh rockMesh(float radius, unsigned seed)
{
    constexpr int kRings = 10;
    constexpr int kSegments = 14;
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> bump(0.75f, 1.25f);
    std::vector<float> radii(static_cast<size_t>((kRings + 1) * kSegments));
    for (float& r : radii) {
        r = radius * bump(engine);
    }
    auto point = [&](int ring, int segment) {
        const float theta = 3.1415927f * static_cast<float>(ring) / kRings;
        const float phi = 6.2831855f * static_cast<float>(segment % kSegments) / kSegments;
        // The poles share one radius so the surface stays closed.
        const int key = ring == 0 ? 0 : ring == kRings ? kRings * kSegments : ring * kSegments + segment % kSegments;
        const float r = radii[static_cast<size_t>(key)];
        return r * glm::vec3(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    };
    PropMesh mesh;
    for (int ring = 0; ring < kRings; ++ring) {
        for (int segment = 0; segment < kSegments; ++segment) {
            const glm::vec3 a = point(ring, segment);
            const glm::vec3 b = point(ring, segment + 1);
            const glm::vec3 c = point(ring + 1, segment);
            const glm::vec3 d = point(ring + 1, segment + 1);
            if (ring > 0) {
                addTriangle(mesh, a, b, c);
            }
            if (ring < kRings - 1) {
                addTriangle(mesh, b, d, c);
            }
        }
    }
    return mesh;
}
