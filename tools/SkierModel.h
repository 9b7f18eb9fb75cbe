#pragma once

#include <string>

// Writes the two skier figures into `folder`: "TestSkier.obj", a skier about 1.8 m tall standing
// on skis with poles planted, and "player.obj", the same skier crouched in a downhill tuck.
// Both stand with y up and face -z, the skis running along z.
void writeSkiers(const std::string& folder);
