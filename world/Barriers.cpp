#include "world/Barriers.h"

Barriers::~Barriers() = default;
