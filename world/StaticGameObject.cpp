#include "world/StaticGameObject.h"

#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidStatic.h"
#include "world/physics/TriangleMesh.h"

StaticGameObject::~StaticGameObject() = default;

void StaticGameObject::updateFromPhysics() {}

bool StaticGameObject::initPhysics(physics::PhysicsWorld* physics, physics::PhysicsMaterial* material, std::uint8_t,
                                   physics::PhysicsWorld* cooking)
{
    if (physics == nullptr || material == nullptr || cooking == nullptr) {
        return false;
    }
    // At the position of the last model matrix.
    physics::Transform pose;
    pose.p = glm::vec3(model[3]);
    actor = physics->createRigidStatic(pose);
    physics::TriangleMesh* mesh = cooking->createTriangleMesh(getTriangleMeshDesc());
    if (mesh == nullptr) {
        return false;
    }
    actor->attachTriangleMesh(*mesh, *material);
    return true;
}

physics::RigidActor* StaticGameObject::getActor()
{
    return actor;
}
