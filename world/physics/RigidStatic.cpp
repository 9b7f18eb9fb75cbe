#include "world/physics/RigidStatic.h"

#include "world/physics/BulletConversions.h"
#include "world/physics/HeightFieldData.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorldParts.h"
#include "world/physics/RigidActorBody.h"
#include "world/physics/TriangleMeshData.h"

#include <BulletCollision/CollisionShapes/btEmptyShape.h>
#include <BulletCollision/CollisionShapes/btHeightfieldTerrainShape.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace physics {

namespace {

constexpr int upAxisY = 1;

bool refuseSecondShape(const RigidActor::Body& body)
{
    if (body.hasShape) {
        std::cerr << "physics: a static actor holds one shape; the second is not attached\n";
    }
    return body.hasShape;
}

// Gives the body its shape, taking it out of the scene and back so that Bullet forgets the pairs
// it had made for the old one.
void useShape(RigidActor::Body& body, btCollisionShape* shape, const btTransform& actorPose,
              const PhysicsMaterial& material)
{
    btDiscreteDynamicsWorld* scene = body.inScene ? body.world->scene.get() : nullptr;
    if (scene != nullptr) {
        scene->removeRigidBody(body.body.get());
    }
    body.body->setCollisionShape(shape);
    body.body->setWorldTransform(actorPose * body.offset);
    body.body->setInterpolationWorldTransform(actorPose * body.offset);
    body.body->setFriction(material.dynamicFriction);
    body.body->setRestitution(material.restitution);
    body.hasShape = true;
    if (scene != nullptr) {
        scene->addRigidBody(body.body.get());
    }
}

}

unsigned faceIndex(const RigidActor::Body& body, int shapePart, int triangleIndex)
{
    if (body.heightField.heightField != nullptr) {
        // Bullet numbers a cell's two triangles 2x and 2x + 1 along the rows, and the column apart.
        const unsigned r = unsigned(shapePart) / 2;
        const unsigned k = unsigned(shapePart) % 2;
        return 2 * (r * body.heightField.heightField->getNbColumns() + unsigned(triangleIndex)) + k;
    }
    if (body.hasShape && body.box == nullptr) {
        return unsigned(triangleIndex);
    }
    return 0;
}

RigidStatic::RigidStatic(PhysicsWorld& world, const Transform& pose) : RigidActor(world, pose)
{
    Body& b = *state;
    b.shape = std::make_unique<btEmptyShape>();
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, nullptr, b.shape.get());
    info.m_startWorldTransform = toBullet(pose);
    b.body = std::make_unique<btRigidBody>(info);
    b.body->setUserPointer(static_cast<RigidActor*>(this));
}

RigidStatic::~RigidStatic() = default;

void RigidStatic::attachHeightField(const HeightFieldGeometry& geometry, const PhysicsMaterial& material)
{
    Body& b = *state;
    if (refuseSecondShape(b)) {
        return;
    }
    if (geometry.heightField == nullptr) {
        std::cerr << "physics: a height-field geometry without a height field is not attached\n";
        return;
    }
    const HeightField::Data& field = geometry.heightField->data();
    const btScalar scale = geometry.heightScale;
    const btScalar low = std::min(scale * field.minHeight, scale * field.maxHeight);
    const btScalar high = std::max(scale * field.minHeight, scale * field.maxHeight);
    auto shape = std::make_unique<btHeightfieldTerrainShape>(int(field.nbRows), int(field.nbColumns),
                                                             field.heights.data(), scale, low, high, upAxisY,
                                                             field.flipQuadEdges);
    shape->setLocalScaling(btVector3(geometry.rowScale, 1.0f, geometry.columnScale));

    const btTransform actorPose = b.body->getWorldTransform();
    // Bullet centres the field on its bounds; sample (0, 0) goes to the actor's origin.
    b.offset.setOrigin(btVector3(geometry.rowScale * btScalar(field.nbRows - 1) * 0.5f, (low + high) * 0.5f,
                                 geometry.columnScale * btScalar(field.nbColumns - 1) * 0.5f));
    useShape(b, shape.get(), actorPose, material);
    b.shape = std::move(shape);
    b.heightField = geometry;
}

void RigidStatic::attachTriangleMesh(TriangleMesh& mesh, const PhysicsMaterial& material)
{
    Body& b = *state;
    if (refuseSecondShape(b)) {
        return;
    }
    useShape(b, mesh.data().shape.get(), b.body->getWorldTransform(), material);
}

void RigidStatic::setContactOffset(float offset)
{
    // Kept for the callers: Bullet starts contacts within its own breaking threshold (0.02), which
    // stands for the two offsets of a pair.
    state->contactOffset = offset;
}

float RigidStatic::getContactOffset() const
{
    return state->contactOffset;
}

unsigned RigidStatic::getNbShapes() const
{
    return state->hasShape ? 1u : 0u;
}

const HeightFieldGeometry* RigidStatic::getHeightFieldGeometry() const
{
    return state->heightField.heightField != nullptr ? &state->heightField : nullptr;
}

}
