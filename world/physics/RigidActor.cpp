#include "world/physics/RigidActor.h"

#include "world/physics/BulletConversions.h"
#include "world/physics/PhysicsWorldParts.h"
#include "world/physics/RigidActorBody.h"

namespace physics {

btRigidBody& bulletBody(const RigidActor& actor)
{
    return *actor.body().body;
}

RigidActor* actorOf(const btCollisionObject* object)
{
    return object == nullptr ? nullptr : static_cast<RigidActor*>(object->getUserPointer());
}

void refreshBounds(RigidActor::Body& body)
{
    if (body.inScene) {
        body.world->scene->updateSingleAabb(body.body.get());
    }
}

void reviveIfLost(RigidActor::Body& body)
{
    if (body.body->getActivationState() == DISABLE_SIMULATION) {
        body.body->forceActivationState(ACTIVE_TAG);
        body.body->setDeactivationTime(0.0f);
        body.lossReported = false;
    }
}

RigidActor::RigidActor(PhysicsWorld& world, const Transform&) : state(std::make_unique<Body>())
{
    state->world = &world.parts();
}

RigidActor::~RigidActor() = default;

Transform RigidActor::getGlobalPose() const
{
    return toGlm(state->body->getCenterOfMassTransform() * state->offset.inverse());
}

void RigidActor::setGlobalPose(const Transform& pose, bool autowake)
{
    Body& b = *state;
    const btTransform bodyPose = toBullet(pose) * b.offset;
    b.body->setCenterOfMassTransform(bodyPose);
    if (b.motionState) {
        b.motionState->setWorldTransform(bodyPose);
    }
    if (isDynamic()) {
        reviveIfLost(b);
    }
    if (isDynamic() && autowake) {
        b.body->activate();
    } else {
        refreshBounds(b);
    }
}

void RigidActor::setDominanceGroup(std::uint8_t group)
{
    state->group = group;
    if (isDynamic()) {
        applyDominanceMass(*state);
    }
}

std::uint8_t RigidActor::getDominanceGroup() const
{
    return state->group;
}

bool RigidActor::isInScene() const
{
    return state->inScene;
}

void RigidActor::getBounds(glm::vec3& lower, glm::vec3& upper) const
{
    btVector3 min;
    btVector3 max;
    state->body->getCollisionShape()->getAabb(state->body->getWorldTransform(), min, max);
    lower = toGlm(min);
    upper = toGlm(max);
}

}
