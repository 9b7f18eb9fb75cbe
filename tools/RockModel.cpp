#include "RockModel.h"

#include "Mesh.h"
#include "Noise.h"
#include "Rng.h"

#include <glm/glm.hpp>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

struct Sphere {
    std::vector<glm::vec3> points;
    std::vector<unsigned> triangles;
};

// A unit icosahedron split `levels` times: evenly spread corners shared between faces.
Sphere icosphere(int levels)
{
    const float t = (1.0f + std::sqrt(5.0f)) * 0.5f;
    Sphere s;
    s.points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (glm::vec3& p : s.points) {
        p = glm::normalize(p);
    }
    s.triangles = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4, 11, 10, 2, 10, 7, 6, 7, 1, 8,
                   3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8, 3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<unsigned, unsigned>, unsigned> midpoints;
        auto midpoint = [&](unsigned a, unsigned b) {
            const auto key = std::make_pair(std::min(a, b), std::max(a, b));
            const auto found = midpoints.find(key);
            if (found != midpoints.end()) {
                return found->second;
            }
            s.points.push_back(glm::normalize(s.points[a] + s.points[b]));
            const unsigned index = static_cast<unsigned>(s.points.size() - 1);
            midpoints.emplace(key, index);
            return index;
        };
        std::vector<unsigned> finer;
        for (size_t i = 0; i < s.triangles.size(); i += 3) {
            const unsigned a = s.triangles[i], b = s.triangles[i + 1], c = s.triangles[i + 2];
            const unsigned ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        s.triangles = std::move(finer);
    }
    return s;
}

struct Boulder {
    glm::vec3 centre;
    glm::vec3 radii;
};

// A boulder: an ellipsoid broken along a handful of fracture planes into flat faces, roughened,
// turned, set at its place and cut off flat at the ground.
Mesh boulder(const Sphere& sphere, const Boulder& b, float ground, Rng& rng, unsigned char seed)
{
    struct Plane {
        glm::vec3 normal;
        float offset;
    };
    std::vector<Plane> planes;
    const int planeCount = 9 + static_cast<int>(rng.uniform(0.0f, 5.0f));
    for (int i = 0; i < planeCount; ++i) {
        const float z = rng.uniform(-0.6f, 1.0f);
        const float phi = rng.uniform(0.0f, 6.2831853f);
        const float r = std::sqrt(1.0f - z * z);
        planes.push_back({glm::vec3(r * std::cos(phi), z, r * std::sin(phi)), rng.uniform(0.5f, 0.82f)});
    }
    const float turn = rng.uniform(0.0f, 6.2831853f);
    const glm::mat3 spin(std::cos(turn), 0, -std::sin(turn), 0, 1, 0, std::sin(turn), 0, std::cos(turn));
    const float size = (b.radii.x + b.radii.y + b.radii.z) / 3.0f;

    Mesh mesh;
    for (const glm::vec3& p : sphere.points) {
        glm::vec3 q = p;
        for (int pass = 0; pass < 2; ++pass) {
            for (const Plane& plane : planes) {
                const float over = glm::dot(q, plane.normal) - plane.offset;
                if (over > 0.0f) {
                    q -= over * plane.normal;
                }
            }
        }
        q *= b.radii;
        q += p * (0.06f * size * noise::fbm3(q.x * 1.5f, q.y * 1.5f, q.z * 1.5f, 4, 0.45f, seed));
        glm::vec3 world = b.centre + spin * q;
        world.y = std::max(world.y, ground);
        const glm::vec2 uv(0.5f + std::atan2(p.z, p.x) / 6.2831853f, 0.5f + std::asin(p.y) / 3.1415927f);
        mesh.add(world, p, uv);
    }
    for (size_t i = 0; i < sphere.triangles.size(); i += 3) {
        mesh.triangle(sphere.triangles[i], sphere.triangles[i + 1], sphere.triangles[i + 2]);
    }
    mesh.creaseNormals(38.0f);
    return mesh;
}

} // namespace

void writeRockCluster(const std::string& folder)
{
    // The largest boulder takes the finer sphere; the small ones are seen no closer and need less.
    const Sphere fine = icosphere(2);
    const Sphere coarse = icosphere(1);
    const Boulder boulders[] = {
        {{0.0f, 0.0f, 0.0f}, {1.2f, 0.95f, 1.0f}},
        {{1.35f, -0.3f, 0.55f}, {0.75f, 0.6f, 0.65f}},
        {{-1.15f, -0.35f, 0.65f}, {0.6f, 0.5f, 0.55f}},
        {{0.45f, -0.45f, -1.1f}, {0.55f, 0.4f, 0.45f}},
        {{-0.7f, -0.55f, -0.85f}, {0.32f, 0.28f, 0.3f}},
    };
    const float ground = -0.75f;
    Rng rng(0x5eed0001u);
    Mesh cluster;
    unsigned char seed = 101;
    for (const Boulder& b : boulders) {
        cluster.append(boulder(&b == &boulders[0] ? fine : coarse, b, ground, rng, seed));
        seed = static_cast<unsigned char>(seed + 17);
    }
    cluster.centre();
    cluster.writeObj(folder + "/RockCluster.obj", "RockCluster: five boulders on a flat base");
}
