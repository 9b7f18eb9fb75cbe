#pragma once

#include <glm/glm.hpp>

// The scene's random values, all from the one seeded engine in the order they are asked for.
// Each call uses fresh samplers, so no kept value carries over from one call to the next.

// One normal sample with mean 0.
float randomNormal(float sigma);

// A point of the square (-range/2 .. range/2) x scale on x and z, normally distributed about 0,
// at height y.
glm::vec3 randomOffsetXZ(float range, float scale, float y);

// x about centre.x with deviation sigmaX and z about centre.z with sigmaZ, each redrawn until its
// absolute value is within its limit; at height y. The limits bound the coordinates, not the
// distance from the centre.
glm::vec3 randomOffsetAround(float limitX, float limitZ, glm::vec3 centre, float sigmaX, float sigmaZ, float y);

// A scale that gives a model of volume modelVolume about targetVolume, varied by the relative
// deviation sigma; never negative.
float randomScale(float targetVolume, float modelVolume, float sigma);
