#pragma once

#include "world/physics/PhysicsWorld.h"

class Terrain;

// The slope's collision surface, in a physics world of its own so that no body stands in the way of
// a ray cast at it.
class SlopeSurface {
public:
    explicit SlopeSurface(Terrain& terrain);

    // The surface's height under (x, z); false off the field.
    bool heightAt(float x, float z, float& height) const;

private:
    physics::PhysicsWorld query;
};
