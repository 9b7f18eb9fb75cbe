#pragma once

#include "world/StaticGameObject.h"

#include <glm/glm.hpp>

// The backdrop: the four side walls of the cube [-1, 1]^3 with the horizon picture, drawn around
// the whole scene with fixed lighting. It takes no part in physics and casts no shadow.
class Background : public virtual StaticGameObject {
public:
    Background();
    ~Background() override;

    // The constructor has already built the walls.
    void initGeometry() override;
    void draw() override;
    // The backdrop gets no body: its description is empty.
    physics::TriangleMeshDesc getTriangleMeshDesc() override;

    // The view-projection of the previous draw, sent as "oldviewProjMatrix"; the identity at first.
    glm::mat4 previousViewProjection = glm::mat4(1.0f);
};
