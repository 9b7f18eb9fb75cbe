#pragma once

namespace physics {

class RigidActor;

// What a touching pair does, as bits: solve it, and which contact events to report. The bit
// positions are those the scene's pair flags have always had, so a filter's value reads the same.
namespace pairflags {
inline constexpr unsigned solveContact = 1u << 0;
inline constexpr unsigned notifyTouchFound = 1u << 2;
inline constexpr unsigned notifyTouchPersists = 1u << 3;
inline constexpr unsigned notifyContactPoints = 1u << 9;
inline constexpr unsigned detectDiscreteContact = 1u << 10;
inline constexpr unsigned contactDefault = solveContact | detectDiscreteContact;
}

// Decides a pair's flags when two actors start to touch. Every touching pair is solved; the flags
// choose which of its contacts are reported.
using PairFilter = unsigned (*)(const RigidActor& a, const RigidActor& b);

// Every pair is solved; none reports.
unsigned defaultSimulationFilter(const RigidActor& a, const RigidActor& b);

}
