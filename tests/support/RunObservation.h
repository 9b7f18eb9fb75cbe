#pragma once

#include <cstdint>

class World;

// What tests read off a World between frames of the scripted run.
namespace observe {

// A hash of every registered body's pose, bit for bit, in registration order.
std::uint64_t poseHash(const World& world);

// After the far-object rule every registered body is either within the far radius by the pose
// the rule saw, or has just been put back on the slope near the player.
bool allNearPlayer(const World& world);

}
