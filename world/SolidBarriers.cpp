#include "world/SolidBarriers.h"

SolidBarriers::~SolidBarriers() = default;
