#include "Mesh.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

constexpr float pi = 3.14159265f;

// Two unit vectors perpendicular to `axis` and to each other.
void perpendiculars(const glm::vec3& axis, glm::vec3& side, glm::vec3& up)
{
    const glm::vec3 helper = std::fabs(axis.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
    side = glm::normalize(glm::cross(helper, axis));
    up = glm::cross(axis, side);
}

} // namespace

unsigned Mesh::add(const glm::vec3& position, const glm::vec3& normal, const glm::vec2& uv)
{
    corners.push_back({position, normal, uv});
    return static_cast<unsigned>(corners.size() - 1);
}

void Mesh::triangle(unsigned a, unsigned b, unsigned c)
{
    indices.insert(indices.end(), {a, b, c});
}

void Mesh::box(const glm::vec3& centre, const glm::vec3& halfSize, const glm::mat3& axes)
{
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = -1; sign <= 1; sign += 2) {
            const int u = (axis + 1) % 3;
            const int v = (axis + 2) % 3;
            const glm::vec3 normal = axes[axis] * static_cast<float>(sign);
            const glm::vec3 faceCentre = centre + normal * halfSize[axis];
            // u x v = axis, so the corner order below winds counter-clockwise for the + face.
            glm::vec3 du = axes[u] * halfSize[u];
            const glm::vec3 dv = axes[v] * halfSize[v];
            if (sign < 0) {
                du = -du;
            }
            const unsigned first = add(faceCentre - du - dv, normal, {0, 0});
            add(faceCentre + du - dv, normal, {1, 0});
            add(faceCentre + du + dv, normal, {1, 1});
            add(faceCentre - du + dv, normal, {0, 1});
            triangle(first, first + 1, first + 2);
            triangle(first, first + 2, first + 3);
        }
    }
}

void Mesh::ellipsoid(const glm::vec3& centre, const glm::vec3& radii, const glm::mat3& axes, int slices, int stacks)
{
    const unsigned first = static_cast<unsigned>(corners.size());
    for (int i = 0; i <= stacks; ++i) {
        const float theta = pi * i / stacks;
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2.0f * pi * j / slices;
            const glm::vec3 unit(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
            const glm::vec3 local = unit * radii;
            const glm::vec3 normal = glm::normalize(axes * (unit / radii));
            add(centre + axes * local, normal, {static_cast<float>(j) / slices, 1.0f - static_cast<float>(i) / stacks});
        }
    }
    const unsigned row = static_cast<unsigned>(slices + 1);
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            const unsigned a = first + i * row + j;
            const unsigned b = a + row;
            if (i > 0) {
                triangle(a, a + 1, b);
            }
            if (i < stacks - 1) {
                triangle(a + 1, b + 1, b);
            }
        }
    }
}

void Mesh::tube(const glm::vec3& a, const glm::vec3& b, float radiusA, float radiusB, int sides)
{
    const glm::vec3 axis = glm::normalize(b - a);
    const float length = glm::length(b - a);
    glm::vec3 side, up;
    perpendiculars(axis, side, up);
    // The side's normal leans towards the thin end by the taper.
    const float lean = (radiusA - radiusB) / length;

    const unsigned first = static_cast<unsigned>(corners.size());
    for (int j = 0; j <= sides; ++j) {
        const float phi = 2.0f * pi * j / sides;
        const glm::vec3 radial = side * std::cos(phi) + up * std::sin(phi);
        const glm::vec3 normal = glm::normalize(radial + axis * lean);
        const float u = static_cast<float>(j) / sides;
        add(a + radial * radiusA, normal, {u, 0});
        add(b + radial * radiusB, normal, {u, 1});
    }
    for (int j = 0; j < sides; ++j) {
        const unsigned k = first + 2 * j;
        triangle(k, k + 2, k + 1);
        triangle(k + 1, k + 2, k + 3);
    }
    // Flat caps at both ends.
    for (int end = 0; end < 2; ++end) {
        const glm::vec3 centre = end ? b : a;
        const float radius = end ? radiusB : radiusA;
        const glm::vec3 normal = end ? axis : -axis;
        const unsigned hub = add(centre, normal, {0.5f, 0.5f});
        for (int j = 0; j <= sides; ++j) {
            const float phi = 2.0f * pi * j / sides;
            add(centre + (side * std::cos(phi) + up * std::sin(phi)) * radius, normal,
                {0.5f + 0.5f * std::cos(phi), 0.5f + 0.5f * std::sin(phi)});
        }
        for (int j = 0; j < sides; ++j) {
            if (end) {
                triangle(hub, hub + 1 + j, hub + 2 + j);
            } else {
                triangle(hub, hub + 2 + j, hub + 1 + j);
            }
        }
    }
}

void Mesh::append(const Mesh& other)
{
    const unsigned offset = static_cast<unsigned>(corners.size());
    corners.insert(corners.end(), other.corners.begin(), other.corners.end());
    for (unsigned i : other.indices) {
        indices.push_back(i + offset);
    }
}

void Mesh::creaseNormals(float creaseDegrees)
{
    const float limit = std::cos(creaseDegrees * pi / 180.0f);
    const size_t faces = indices.size() / 3;
    std::vector<glm::vec3> weighted(faces);
    std::vector<glm::vec3> unit(faces);
    std::vector<std::vector<size_t>> facesAt(corners.size());
    for (size_t f = 0; f < faces; ++f) {
        const glm::vec3& a = corners[indices[3 * f]].position;
        const glm::vec3& b = corners[indices[3 * f + 1]].position;
        const glm::vec3& c = corners[indices[3 * f + 2]].position;
        weighted[f] = glm::cross(b - a, c - a);
        const float length = glm::length(weighted[f]);
        unit[f] = length > 0.0f ? weighted[f] / length : glm::vec3(0.0f);
        for (int k = 0; k < 3; ++k) {
            facesAt[indices[3 * f + k]].push_back(f);
        }
    }
    std::vector<Corner> split;
    split.reserve(indices.size());
    for (size_t f = 0; f < faces; ++f) {
        for (int k = 0; k < 3; ++k) {
            const Corner& corner = corners[indices[3 * f + k]];
            glm::vec3 sum(0.0f);
            for (size_t other : facesAt[indices[3 * f + k]]) {
                if (glm::dot(unit[other], unit[f]) >= limit) {
                    sum += weighted[other];
                }
            }
            const float length = glm::length(sum);
            split.push_back({corner.position, length > 0.0f ? sum / length : glm::vec3(0, 1, 0), corner.uv});
        }
    }
    corners = std::move(split);
    for (size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<unsigned>(i);
    }
}

void Mesh::centre()
{
    const glm::vec3 middle = (minimum() + maximum()) * 0.5f;
    for (Corner& c : corners) {
        c.position -= middle;
    }
}

glm::vec3 Mesh::minimum() const
{
    glm::vec3 m(corners.empty() ? 0.0f : INFINITY);
    for (const Corner& c : corners) {
        m = glm::min(m, c.position);
    }
    return m;
}

glm::vec3 Mesh::maximum() const
{
    glm::vec3 m(corners.empty() ? 0.0f : -INFINITY);
    for (const Corner& c : corners) {
        m = glm::max(m, c.position);
    }
    return m;
}

void Mesh::writeObj(const std::string& path, const std::string& title) const
{
    if (indices.size() >= 65536 || corners.size() >= 65536) {
        throw std::runtime_error(path + ": too many vertices for 16-bit indices");
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "w"), std::fclose);
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
    FILE* out = file.get();
    std::fprintf(out, "# %s\n# %zu vertices, %zu triangles; metres, y up, facing -z\n", title.c_str(),
                 corners.size(), indices.size() / 3);
    for (const Corner& c : corners) {
        std::fprintf(out, "v %.5f %.5f %.5f\n", c.position.x, c.position.y, c.position.z);
    }
    for (const Corner& c : corners) {
        std::fprintf(out, "vt %.5f %.5f\n", c.uv.x, c.uv.y);
    }
    for (const Corner& c : corners) {
        std::fprintf(out, "vn %.5f %.5f %.5f\n", c.normal.x, c.normal.y, c.normal.z);
    }
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const unsigned a = indices[t] + 1, b = indices[t + 1] + 1, c = indices[t + 2] + 1;
        std::fprintf(out, "f %u/%u/%u %u/%u/%u %u/%u/%u\n", a, a, a, b, b, b, c, c, c);
    }
    if (std::ferror(out)) {
        throw std::runtime_error("cannot write " + path);
    }
}
