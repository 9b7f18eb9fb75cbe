#include "world/SimulationEvents.h"

#include "world/physics/PairFilter.h"

#include <iostream>

void SimulationEvents::onConstraintBreak(physics::ConstraintInfo*, unsigned) {}

void SimulationEvents::onWake(physics::RigidActor**, unsigned) {}

void SimulationEvents::onSleep(physics::RigidActor**, unsigned) {}

void SimulationEvents::onContact(const physics::ContactPairHeader&, const physics::ContactPair*, unsigned)
{
    std::cout << "onContact collision detected";
}

void SimulationEvents::onTrigger(physics::TriggerPair*, unsigned)
{
    std::cout << "onTrigger collision detected";
}

void SimulationEvents::onAdvance(const physics::RigidActor* const*, const physics::Transform*, unsigned) {}

SimulationEvents::~SimulationEvents() = default;

unsigned contactReportFilterShader(const physics::RigidActor&, const physics::RigidActor&)
{
    return physics::pairflags::contactDefault | physics::pairflags::notifyTouchFound |
           physics::pairflags::notifyTouchPersists | physics::pairflags::notifyContactPoints;
}
