#include "tests/support/RunObservation.h"

#include "world/GameObject.h"
#include "world/Player.h"
#include "world/Terrain.h"
#include "world/World.h"
#include "world/physics/RigidActor.h"

#include <cmath>
#include <cstring>

namespace observe {

namespace {

std::uint64_t mix(std::uint64_t hash, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return (hash ^ bits) * 1099511628211ull;
}

}

std::uint64_t poseHash(const World& world)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const auto& object : world.objects) {
        const physics::Transform pose = object->getActor()->getGlobalPose();
        for (int i = 0; i < 3; ++i) {
            hash = mix(hash, pose.p[i]);
        }
        for (int i = 0; i < 4; ++i) {
            hash = mix(hash, pose.q[i]);
        }
    }
    return hash;
}

bool allNearPlayer(const World& world)
{
    const glm::vec3 player = world.player->position;
    for (const auto& object : world.objects) {
        const glm::vec3 d = object->position - player;
        const bool withinRadius = d.x * d.x + d.y * d.y + d.z * d.z <= 50000.0f;
        const glm::vec3 p = object->getActor()->getGlobalPose().p;
        // A point near the player lies within two deviations (100 each) beyond it on x and z, at the
        // slope's height plus 50.
        const bool putBack = std::abs(p.x) <= std::abs(player.x) + 200.0f &&
                             std::abs(p.z) <= std::abs(player.z) + 200.0f &&
                             std::abs(p.y - world.terrain->getHeightAt(p.x, p.z) - 50.0f) < 1e-2f;
        if (!withinRadius && !putBack) {
            return false;
        }
    }
    return true;
}

}
