#pragma once

#include "world/physics/RigidActor.h"

#include <glm/glm.hpp>

namespace physics {

struct PhysicsMaterial;

// A movable body: mass 1 and mass-space inertia (1, 1, 1), no linear damping, angular damping
// 0.05, angular speed capped at 100 rad/s, one box shape.
class RigidDynamic : public RigidActor {
public:
    ~RigidDynamic() override;
    bool isDynamic() const override { return true; }

    // The one box shape, exclusive to this actor, centred on the actor's origin.
    void attachBox(const glm::vec3& halfExtents, const PhysicsMaterial& material);
    glm::vec3 getBoxHalfExtents() const;

    // Moves the centre of mass within the actor; the actor's pose stays where it is.
    void setCMassLocalPose(const Transform& pose);
    Transform getCMassLocalPose() const;
    float getMass() const;
    glm::vec3 getMassSpaceInertiaTensor() const;

    void setLinearVelocity(const glm::vec3& velocity, bool autowake = true);
    glm::vec3 getLinearVelocity() const;
    void setAngularVelocity(const glm::vec3& velocity, bool autowake = true);
    glm::vec3 getAngularVelocity() const;
    // Every step ends with the angular velocity scaled down to at most this, in rad/s, its
    // direction kept. Only a positive, finite maximum is taken; any other leaves it as it was.
    void setMaxAngularVelocity(float maximum);
    float getMaxAngularVelocity() const;

    // A torque in force mode: it acts over the next step only, then is cleared.
    void addTorque(const glm::vec3& torque, bool autowake = true);
    // Clears the force (not the torque) accumulated for the next step.
    void clearForce();

    bool isSleeping() const;
    void wakeUp();
    void putToSleep();

private:
    friend class PhysicsWorld;
    RigidDynamic(PhysicsWorld& world, const Transform& pose);
};

}
