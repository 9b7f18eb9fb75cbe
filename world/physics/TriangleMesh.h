#pragma once

#include "world/physics/TriangleMeshDesc.h"

#include <memory>

namespace physics {

// A cooked triangle mesh, ready to become a static shape.
class TriangleMesh {
public:
    ~TriangleMesh();

    unsigned getNbVertices() const;
    unsigned getNbTriangles() const;

    struct Data;
    Data& data() const { return *state; }

private:
    friend class PhysicsWorld;
    explicit TriangleMesh(const TriangleMeshDesc& desc);
    std::unique_ptr<Data> state;
};

}
