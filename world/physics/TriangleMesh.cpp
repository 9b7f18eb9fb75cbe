#include "world/physics/TriangleMesh.h"

#include "world/physics/TriangleMeshData.h"

namespace physics {

TriangleMesh::TriangleMesh(const TriangleMeshDesc& desc) : state(std::make_unique<Data>())
{
    Data& d = *state;
    for (const glm::vec3& point : desc.points) {
        d.vertices.insert(d.vertices.end(), {point.x, point.y, point.z});
    }
    d.indices.assign(desc.triangles.begin(), desc.triangles.end());
    d.arrays = std::make_unique<btTriangleIndexVertexArray>(int(d.indices.size() / 3), d.indices.data(),
                                                            int(3 * sizeof(int)), int(desc.points.size()),
                                                            d.vertices.data(), int(3 * sizeof(btScalar)));
    d.shape = std::make_unique<btBvhTriangleMeshShape>(d.arrays.get(), true);
}

TriangleMesh::~TriangleMesh() = default;

unsigned TriangleMesh::getNbVertices() const
{
    return unsigned(state->vertices.size() / 3);
}

unsigned TriangleMesh::getNbTriangles() const
{
    return unsigned(state->indices.size() / 3);
}

}
