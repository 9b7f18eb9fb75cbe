#pragma once

#include "world/physics/SimulationEventCallback.h"

// The scene's event callback. Nothing in the run asks for these events (no pair reports contacts,
// no shape is a trigger, no actor asks for sleep or wake notices, there are no joints), so over a
// run none of them fires.
class SimulationEvents : public physics::SimulationEventCallback {
public:
    void onConstraintBreak(physics::ConstraintInfo* constraints, unsigned count) override;
    void onWake(physics::RigidActor** actors, unsigned count) override;
    void onSleep(physics::RigidActor** actors, unsigned count) override;
    // Writes "onContact collision detected", with no line end.
    void onContact(const physics::ContactPairHeader& pairHeader, const physics::ContactPair* pairs,
                   unsigned nbPairs) override;
    // Writes "onTrigger collision detected", with no line end.
    void onTrigger(physics::TriggerPair* pairs, unsigned count) override;
    void onAdvance(const physics::RigidActor* const* bodyBuffer, const physics::Transform* poseBuffer,
                   unsigned count) override;
    ~SimulationEvents() override;
};

// A pair filter that reports contacts for every pair: touch found and persisting, with points.
// The scene uses the default filter; nothing uses this one.
unsigned contactReportFilterShader(const physics::RigidActor& a, const physics::RigidActor& b);
