#pragma once

#include "world/physics/Transform.h"

#include <glm/glm.hpp>

namespace physics {

class RigidActor;

struct ConstraintInfo {
    void* constraint = nullptr;
};

struct ContactPairHeader {
    RigidActor* actors[2] = {nullptr, nullptr};
};

struct ContactPoint {
    glm::vec3 position = glm::vec3(0.0f);
    glm::vec3 normal = glm::vec3(0.0f);
    float separation = 0.0f;
};

struct ContactPair {
    unsigned events = 0;
    unsigned contactCount = 0;
    const ContactPoint* contacts = nullptr;
};

struct TriggerPair {
    RigidActor* triggerActor = nullptr;
    RigidActor* otherActor = nullptr;
};

// Events of a simulation step, delivered inside fetchResults on the calling thread, for the
// pairs and actors that asked for them.
class SimulationEventCallback {
public:
    virtual void onConstraintBreak(ConstraintInfo* constraints, unsigned count) = 0;
    virtual void onWake(RigidActor** actors, unsigned count) = 0;
    virtual void onSleep(RigidActor** actors, unsigned count) = 0;
    virtual void onContact(const ContactPairHeader& pairHeader, const ContactPair* pairs, unsigned nbPairs) = 0;
    virtual void onTrigger(TriggerPair* pairs, unsigned count) = 0;
    virtual void onAdvance(const RigidActor* const* bodyBuffer, const Transform* poseBuffer, unsigned count) = 0;
    virtual ~SimulationEventCallback();
};

}
