#pragma once

// The Bullet side of an actor; for the layer's own sources only.

#include "world/physics/HeightField.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidActor.h"

#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <BulletDynamics/Dynamics/btRigidBody.h>
#include <LinearMath/btDefaultMotionState.h>

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>

namespace physics {

class BoxController;
class RigidDynamic;

struct RigidActor::Body {
    PhysicsWorld::Parts* world = nullptr;
    // The collision shape when the actor owns it: the compound around a dynamic actor's box, a
    // height field's shape, or an empty shape until a static actor gets one. A triangle mesh's
    // shape belongs to the cooked mesh and is shared.
    std::unique_ptr<btCollisionShape> shape;
    std::unique_ptr<btBoxShape> box;
    std::unique_ptr<btDefaultMotionState> motionState;
    std::unique_ptr<btRigidBody> body;
    // Where the Bullet body's frame lies in the actor's frame: the centre of mass of a dynamic
    // actor, the middle of a height field (Bullet centres the field on its bounds).
    btTransform offset = btTransform::getIdentity();
    glm::vec3 boxHalfExtents = glm::vec3(0.0f);
    // What callers see: a new PhysX body's mass and mass-space inertia, before dominance weighs in.
    float mass = 1.0f;
    glm::vec3 inertia = glm::vec3(1.0f);
    std::uint8_t group = 0;
    // Mass, inertia and applied torques are multiplied by this to stand in for dominance.
    float massScale = 1.0f;
    // The most a dynamic actor may spin, in rad/s; every step scales a faster spin down to it.
    float maxAngularVelocity = 100.0f;
    bool inScene = false;
    bool hasShape = false;
    float contactOffset = 0.02f;
    HeightFieldGeometry heightField;
    // The controller whose hidden proxy this actor is, if it is one.
    BoxController* controller = nullptr;
    // Bullet stopped simulating the body (its swept bounds overflowed) and that has been said.
    bool lossReported = false;
};

btRigidBody& bulletBody(const RigidActor& actor);
// The actor behind a Bullet object; null for an object that is not one of ours.
RigidActor* actorOf(const btCollisionObject* object);
// Recomputes the broadphase bounds after a change of pose or shape, when the body is in a scene.
void refreshBounds(RigidActor::Body& body);
// The face index of a sweep hit from Bullet's shape part and triangle: for a height field
// 2 * (r * nbColumns + c) + k, for a mesh the triangle, otherwise 0.
unsigned faceIndex(const RigidActor::Body& body, int shapePart, int triangleIndex);
// Puts a body back into the simulation after Bullet dropped it for overflowing bounds; called when
// its pose or velocity is set, since Bullet never does it by itself.
void reviveIfLost(RigidActor::Body& body);

// Defined with the dynamic actor.
void applyDominanceMass(RigidActor::Body& body);
// Turns a new dynamic actor into a kinematic one, before it joins the scene.
void makeKinematic(RigidDynamic& actor);
// Moves a kinematic actor: to a target that the next step reaches with the matching velocity,
// or, with teleport, there at once and at rest.
void placeKinematic(RigidDynamic& actor, const btTransform& actorPose, bool teleport);

}
