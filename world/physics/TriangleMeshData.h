#pragma once

// A cooked triangle mesh: its arrays and the bounding-volume tree over them; for the layer's own
// sources only.

#include "world/physics/TriangleMesh.h"

#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleIndexVertexArray.h>

#include <memory>
#include <vector>

namespace physics {

struct TriangleMesh::Data {
    std::vector<btScalar> vertices;
    std::vector<int> indices;
    std::unique_ptr<btTriangleIndexVertexArray> arrays;
    // Shared by every static actor the mesh is attached to.
    std::unique_ptr<btBvhTriangleMeshShape> shape;
};

}
