#include "world/physics/RigidDynamic.h"

#include "world/physics/BulletConversions.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/RigidActorBody.h"

#include <BulletCollision/CollisionShapes/btCompoundShape.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace physics {

namespace {

// An angular damping of 0.05 applied PhysX's way (w *= 1 - c dt) over the run's 1/60 s step, in
// Bullet's form (w *= (1 - c)^dt): c = 1 - (1 - 0.05 dt)^(1/dt).
const btScalar angularDamping = btScalar(1.0 - std::pow(1.0 - 0.05 / 60.0, 60.0));

// Below these speeds (units/s and rad/s) for 0.4 s a body falls asleep.
constexpr btScalar sleepThreshold = 0.1f;

// Bullet has one inverse mass per body, so dominance is approximated by weight: each group below
// the skiers' (2) makes a body this much heavier, and its inertia and applied torques with it.
// Gravity, damping, velocities and contacts with statics stay the same; in a contact across
// groups the lower group barely moves. Groups above 2 weigh as group 2.
constexpr btScalar dominanceFactor = 1000.0f;
constexpr unsigned heaviestGroupStep = 2;

btCompoundShape& compoundOf(RigidActor::Body& body)
{
    return static_cast<btCompoundShape&>(*body.shape);
}

bool isKinematic(const RigidActor::Body& body)
{
    return body.body->isKinematicObject();
}

}

void applyDominanceMass(RigidActor::Body& body)
{
    if (isKinematic(body)) {
        return;
    }
    const unsigned steps = heaviestGroupStep - std::min<unsigned>(body.group, heaviestGroupStep);
    body.massScale = std::pow(dominanceFactor, btScalar(steps));
    body.body->setMassProps(body.mass * body.massScale, toBullet(body.inertia * body.massScale));
    body.body->updateInertiaTensor();
}

void makeKinematic(RigidDynamic& actor)
{
    RigidActor::Body& body = actor.body();
    body.body->setMassProps(0.0f, btVector3(0.0f, 0.0f, 0.0f));
    // Mass 0 marks a body static; a kinematic one is moved instead, so it keeps its place among the
    // moving bodies.
    const int flags = body.body->getCollisionFlags() & ~btCollisionObject::CF_STATIC_OBJECT;
    body.body->setCollisionFlags(flags | btCollisionObject::CF_KINEMATIC_OBJECT);
    body.body->forceActivationState(DISABLE_DEACTIVATION);
    body.massScale = 0.0f;
}

void placeKinematic(RigidDynamic& actor, const btTransform& actorPose, bool teleport)
{
    RigidActor::Body& body = actor.body();
    if (teleport) {
        actor.setGlobalPose(toGlm(actorPose), false);
        return;
    }
    // Bullet reads the target at the start of the next step and derives the velocity that pushes.
    body.motionState->setWorldTransform(actorPose * body.offset);
}

RigidDynamic::RigidDynamic(PhysicsWorld& world, const Transform& pose) : RigidActor(world, pose)
{
    Body& b = *state;
    b.shape = std::make_unique<btCompoundShape>(false, 1);
    b.motionState = std::make_unique<btDefaultMotionState>(toBullet(pose));
    // Mass 1 and inertia (1, 1, 1) whatever the shape, as a new PhysX body has.
    btRigidBody::btRigidBodyConstructionInfo info(1.0f, b.motionState.get(), b.shape.get(), btVector3(1.0f, 1.0f, 1.0f));
    info.m_linearDamping = 0.0f;
    info.m_angularDamping = angularDamping;
    info.m_linearSleepingThreshold = sleepThreshold;
    info.m_angularSleepingThreshold = sleepThreshold;
    b.body = std::make_unique<btRigidBody>(info);
    b.body->setUserPointer(static_cast<RigidActor*>(this));
    applyDominanceMass(b);
}

RigidDynamic::~RigidDynamic() = default;

void RigidDynamic::attachBox(const glm::vec3& halfExtents, const PhysicsMaterial& material)
{
    if (!(halfExtents.x > 0.0f && halfExtents.y > 0.0f && halfExtents.z > 0.0f)) {
        std::cerr << "physics: a box needs positive half extents, not (" << halfExtents.x << ", " << halfExtents.y
                  << ", " << halfExtents.z << ")\n";
        return;
    }
    Body& b = *state;
    btCompoundShape& compound = compoundOf(b);
    auto box = std::make_unique<btBoxShape>(toBullet(halfExtents));
    // Faces and edges of its own let a box clip against each triangle of the slope it lies on, so
    // that a resting box touches on up to four points instead of pivoting on one.
    box->initializePolyhedralFeatures();
    // A second box replaces the first: the compound's revision tells Bullet's cached pairs.
    if (compound.getNumChildShapes() > 0) {
        compound.removeChildShapeByIndex(0);
    }
    // The body's frame is the centre of mass, so the box, centred on the actor, sits at its inverse.
    compound.addChildShape(b.offset.inverse(), box.get());
    b.box = std::move(box);
    b.boxHalfExtents = halfExtents;
    b.hasShape = true;
    b.body->setFriction(material.dynamicFriction);
    b.body->setRestitution(material.restitution);
    refreshBounds(b);
}

glm::vec3 RigidDynamic::getBoxHalfExtents() const
{
    return state->boxHalfExtents;
}

void RigidDynamic::setCMassLocalPose(const Transform& pose)
{
    Body& b = *state;
    const btTransform actorPose = b.body->getCenterOfMassTransform() * b.offset.inverse();
    b.offset = toBullet(pose);
    btCompoundShape& compound = compoundOf(b);
    if (compound.getNumChildShapes() > 0) {
        compound.updateChildTransform(0, b.offset.inverse());
    }
    b.body->setCenterOfMassTransform(actorPose * b.offset);
    b.motionState->m_centerOfMassOffset = b.offset.inverse();
    b.motionState->setWorldTransform(actorPose * b.offset);
    refreshBounds(b);
}

Transform RigidDynamic::getCMassLocalPose() const
{
    return toGlm(state->offset);
}

float RigidDynamic::getMass() const
{
    return state->mass;
}

glm::vec3 RigidDynamic::getMassSpaceInertiaTensor() const
{
    return state->inertia;
}

void RigidDynamic::setLinearVelocity(const glm::vec3& velocity, bool autowake)
{
    reviveIfLost(*state);
    state->body->setLinearVelocity(toBullet(velocity));
    if (autowake || velocity != glm::vec3(0.0f)) {
        state->body->activate();
    }
}

glm::vec3 RigidDynamic::getLinearVelocity() const
{
    return toGlm(state->body->getLinearVelocity());
}

void RigidDynamic::setAngularVelocity(const glm::vec3& velocity, bool autowake)
{
    reviveIfLost(*state);
    state->body->setAngularVelocity(toBullet(velocity));
    if (autowake || velocity != glm::vec3(0.0f)) {
        state->body->activate();
    }
}

glm::vec3 RigidDynamic::getAngularVelocity() const
{
    return toGlm(state->body->getAngularVelocity());
}

void RigidDynamic::setMaxAngularVelocity(float maximum)
{
    // Refused rather than clamped: zero, a negative or NaN maximum (or an infinite one, which PhysX
    // refuses too) is a caller's mistake, and the limit already set is the sound one to keep.
    if (!(maximum > 0.0f) || !std::isfinite(maximum)) {
        std::cerr << "physics: a maximum angular velocity must be positive and finite, not " << maximum
                  << "; it stays " << state->maxAngularVelocity << "\n";
        return;
    }
    state->maxAngularVelocity = maximum;
}

float RigidDynamic::getMaxAngularVelocity() const
{
    return state->maxAngularVelocity;
}

void RigidDynamic::addTorque(const glm::vec3& torque, bool autowake)
{
    // Bullet clears its accumulators after every step, so the torque acts for one step.
    state->body->applyTorque(toBullet(torque) * state->massScale);
    if (autowake || torque != glm::vec3(0.0f)) {
        state->body->activate();
    }
}

void RigidDynamic::clearForce()
{
    state->body->applyCentralForce(-state->body->getTotalForce());
}

bool RigidDynamic::isSleeping() const
{
    return state->body->getActivationState() == ISLAND_SLEEPING;
}

void RigidDynamic::wakeUp()
{
    reviveIfLost(*state);
    state->body->activate();
}

void RigidDynamic::putToSleep()
{
    btRigidBody& body = *state->body;
    body.setLinearVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body.setAngularVelocity(btVector3(0.0f, 0.0f, 0.0f));
    body.clearForces();
    body.setActivationState(ISLAND_SLEEPING);
}

}
