#include "SkierModel.h"

#include "Mesh.h"

#include <glm/glm.hpp>

#include <cmath>

namespace {

using glm::vec3;

// The joints of the right half of the body (x > 0); the left half is its mirror image.
struct Pose {
    vec3 ankle, knee, hip;
    vec3 pelvis, chest;
    float lean; // forward tilt of the trunk, radians
    vec3 shoulder, elbow, hand;
    vec3 neck, head;
    vec3 poleTip;
};

const Pose standing = {
    {0.12f, 0.24f, 0.0f}, {0.13f, 0.58f, -0.16f}, {0.11f, 0.95f, 0.04f},
    {0.0f, 0.98f, 0.04f}, {0.0f, 1.27f, -0.02f}, 0.26f,
    {0.20f, 1.48f, -0.08f}, {0.30f, 1.22f, -0.20f}, {0.30f, 1.02f, -0.40f},
    {0.0f, 1.53f, -0.09f}, {0.0f, 1.68f, -0.13f},
    {0.37f, 0.0f, 0.08f},
};

const Pose tuck = {
    {0.12f, 0.24f, 0.0f}, {0.13f, 0.50f, -0.30f}, {0.11f, 0.70f, 0.10f},
    {0.0f, 0.74f, 0.10f}, {0.0f, 0.90f, -0.14f}, 1.15f,
    {0.19f, 0.98f, -0.32f}, {0.16f, 0.72f, -0.42f}, {0.11f, 0.88f, -0.58f},
    {0.0f, 1.00f, -0.40f}, {0.0f, 1.04f, -0.50f},
    {0.23f, 0.78f, 0.70f},
};

vec3 mirrored(const vec3& p, float side)
{
    return {p.x * side, p.y, p.z};
}

// The frame of a part tilted forward by `lean`: its up axis leans towards -z.
glm::mat3 leaning(float lean)
{
    const vec3 up(0.0f, std::cos(lean), -std::sin(lean));
    const vec3 back(0.0f, std::sin(lean), std::cos(lean));
    return glm::mat3(vec3(1, 0, 0), up, back);
}

// A ski: a thin plank 1.7 m long whose front 0.2 m curve up into the tip, swept along z.
void ski(Mesh& mesh, float x)
{
    const float tail = 0.78f, tip = -0.92f, width = 0.038f, thickness = 0.022f;
    const int steps = 4;
    unsigned previous = 0;
    for (int i = 0; i <= steps; ++i) {
        const float z = tail + (tip - tail) * i / steps;
        const float bend = glm::clamp((-0.72f - z) / 0.2f, 0.0f, 1.0f);
        const float y = 0.08f * bend * bend;
        const float slope = 0.8f * bend; // dy/d(-z), for the normals of the top and bottom
        const vec3 top = glm::normalize(vec3(0.0f, 1.0f, slope));
        const float v = static_cast<float>(i) / steps;
        const unsigned first = mesh.add({x - width, y + thickness, z}, top, {0, v});
        mesh.add({x + width, y + thickness, z}, top, {1, v});
        mesh.add({x + width, y, z}, -top, {1, v});
        mesh.add({x - width, y, z}, -top, {0, v});
        mesh.add({x - width, y, z}, {-1, 0, 0}, {0, v});
        mesh.add({x - width, y + thickness, z}, {-1, 0, 0}, {0, v});
        mesh.add({x + width, y + thickness, z}, {1, 0, 0}, {1, v});
        mesh.add({x + width, y, z}, {1, 0, 0}, {1, v});
        if (i > 0) {
            // Each pair of corners runs along the ski; the front of the plank lies towards -z.
            for (unsigned face = 0; face < 4; ++face) {
                const unsigned a = previous + 2 * face, b = a + 1;
                const unsigned c = first + 2 * face, d = c + 1;
                mesh.triangle(a, b, d);
                mesh.triangle(a, d, c);
            }
        }
        previous = first;
    }
    mesh.box({x, 0.011f, tail + 0.004f}, {width, 0.011f, 0.004f});
    mesh.box({x, 0.08f + 0.011f, tip - 0.004f}, {width, 0.011f, 0.004f});
}

// A pole: shaft, grip above the hand and basket a little above the tip.
void pole(Mesh& mesh, const vec3& hand, const vec3& tip)
{
    const vec3 along = glm::normalize(hand - tip);
    mesh.tube(tip, hand + along * 0.06f, 0.006f, 0.009f, 3);
    mesh.tube(hand - along * 0.07f, hand + along * 0.08f, 0.017f, 0.016f, 4);
    mesh.tube(tip + along * 0.085f, tip + along * 0.1f, 0.048f, 0.044f, 5);
}

void limb(Mesh& mesh, const vec3& from, const vec3& to, float radiusFrom, float radiusTo)
{
    mesh.tube(from, to, radiusFrom, radiusTo, 5);
    mesh.ellipsoid(to, vec3(radiusTo * 1.02f), glm::mat3(1.0f), 4, 2);
}

Mesh skier(const Pose& p)
{
    Mesh mesh;
    for (float side = -1.0f; side <= 1.0f; side += 2.0f) {
        ski(mesh, 0.12f * side);
        // Boot with its cuff, then the legs, the arm, the glove and the pole.
        mesh.box(mirrored({0.12f, 0.13f, 0.0f}, side), {0.055f, 0.108f, 0.15f});
        mesh.tube(mirrored({0.12f, 0.2f, 0.01f}, side), mirrored(p.ankle, side) + vec3(0, 0.06f, 0), 0.068f, 0.064f, 5);
        limb(mesh, mirrored(p.ankle, side), mirrored(p.knee, side), 0.058f, 0.064f);
        limb(mesh, mirrored(p.knee, side), mirrored(p.hip, side), 0.068f, 0.088f);
        mesh.ellipsoid(mirrored(p.shoulder, side), vec3(0.066f), glm::mat3(1.0f), 5, 3);
        limb(mesh, mirrored(p.shoulder, side), mirrored(p.elbow, side), 0.058f, 0.047f);
        limb(mesh, mirrored(p.elbow, side), mirrored(p.hand, side), 0.047f, 0.04f);
        mesh.ellipsoid(mirrored(p.hand, side), vec3(0.048f, 0.052f, 0.05f), glm::mat3(1.0f), 4, 2);
        pole(mesh, mirrored(p.hand, side), mirrored(p.poleTip, side));
    }

    const glm::mat3 trunk = leaning(p.lean);
    mesh.ellipsoid(p.pelvis, {0.17f, 0.12f, 0.13f}, trunk, 6, 4);
    mesh.ellipsoid(p.chest, {0.2f, 0.29f, 0.135f}, trunk, 8, 5);
    // A small pack on the back.
    mesh.box(p.chest + trunk * vec3(0.0f, 0.03f, 0.15f), {0.12f, 0.16f, 0.05f}, trunk);

    mesh.tube(p.neck, p.head - vec3(0.0f, 0.05f, 0.0f), 0.05f, 0.048f, 5);
    mesh.ellipsoid(p.head, {0.1f, 0.115f, 0.11f}, glm::mat3(1.0f), 6, 4);
    // Helmet over the crown and goggles across the face, which looks along -z.
    mesh.ellipsoid(p.head + vec3(0.0f, 0.025f, 0.005f), {0.118f, 0.112f, 0.128f}, glm::mat3(1.0f), 8, 4);
    mesh.box(p.head + vec3(0.0f, 0.01f, -0.112f), {0.085f, 0.028f, 0.018f});
    mesh.centre();
    return mesh;
}

} // namespace

void writeSkiers(const std::string& folder)
{
    skier(standing).writeObj(folder + "/TestSkier.obj", "TestSkier: a skier standing on skis, poles planted");
    skier(tuck).writeObj(folder + "/player.obj", "player: a skier in a downhill tuck");
}
