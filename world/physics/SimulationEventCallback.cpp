#include "world/physics/SimulationEventCallback.h"

namespace physics {

SimulationEventCallback::~SimulationEventCallback() = default;

}
