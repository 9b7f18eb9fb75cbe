#include "world/DynamicGameObject.h"

#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"

DynamicGameObject::~DynamicGameObject() = default;

bool DynamicGameObject::initPhysics(physics::PhysicsWorld* physics, physics::PhysicsMaterial* material,
                                    std::uint8_t type, physics::PhysicsWorld*)
{
    if (physics == nullptr || material == nullptr) {
        return false;
    }
    actor = physics->createRigidDynamic(getPxTransform());
    // Scales the stored extents in place: a second call scales them again.
    extents = extents * scale;
    actor->attachBox(glm::vec3(extents.x * 0.5f, extents.y * 0.5f, extents.z * 0.5f), *material);
    halfExtents = extents * 0.5f;
    actor->setDominanceGroup(type);
    // The offset takes its second component from z and its third from y, so the centre of mass
    // lies off the box's centre.
    physics::Transform centreOfMass;
    centreOfMass.p = glm::vec3(-0.5f * extents.x, -0.5f * extents.z, -0.5f * extents.y);
    actor->setCMassLocalPose(centreOfMass);
    return true;
}

void DynamicGameObject::updateFromPhysics()
{
    if (actor == nullptr) {
        return;
    }
    const physics::Transform pose = actor->getGlobalPose();
    const float x = pose.q.x;
    const float y = pose.q.y;
    const float z = pose.q.z;
    const float w = pose.q.w;
    rotation = glm::mat4(glm::vec4(1 - 2 * y * y - 2 * z * z, 2 * x * y + 2 * w * z, 2 * x * z - 2 * w * y, 0),
                         glm::vec4(2 * x * y - 2 * w * z, 1 - 2 * x * x - 2 * z * z, 2 * y * z + 2 * w * x, 0),
                         glm::vec4(2 * x * z + 2 * w * y, 2 * y * z - 2 * w * x, 1 - 2 * x * x - 2 * y * y, 0),
                         glm::vec4(0, 0, 0, 1));
    position = pose.p;
    updateModelMatrix();
}

physics::RigidActor* DynamicGameObject::getActor()
{
    return actor;
}
