#include "world/physics/PairFilter.h"

namespace physics {

unsigned defaultSimulationFilter(const RigidActor&, const RigidActor&)
{
    return pairflags::contactDefault;
}

}
