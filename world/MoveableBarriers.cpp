#include "world/MoveableBarriers.h"

MoveableBarriers::~MoveableBarriers() = default;
