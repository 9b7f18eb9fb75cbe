#pragma once

#include "world/physics/HeightField.h"
#include "world/physics/RigidActor.h"

#include <glm/glm.hpp>

namespace physics {

struct PhysicsMaterial;
class TriangleMesh;

// A body that never moves, with one shape: the slope's height field, or a cooked triangle mesh.
class RigidStatic : public RigidActor {
public:
    ~RigidStatic() override;
    bool isDynamic() const override { return false; }

    // Each refuses a second shape. The cells' diagonals follow the samples' tessellation flag.
    void attachHeightField(const HeightFieldGeometry& geometry, const PhysicsMaterial& material);
    // Identity mesh scale; the mesh is shared, not copied.
    void attachTriangleMesh(TriangleMesh& mesh, const PhysicsMaterial& material);

    // Distance at which contacts with this actor's shapes start to be generated.
    void setContactOffset(float offset);
    float getContactOffset() const;

    unsigned getNbShapes() const;
    // The height-field geometry of the first shape, if it is a height field.
    const HeightFieldGeometry* getHeightFieldGeometry() const;

private:
    friend class PhysicsWorld;
    RigidStatic(PhysicsWorld& world, const Transform& pose);
};

}
