#pragma once

#include <string>

// Writes "RockCluster.obj" into `folder`: five broken boulders, the largest about 2.4 m across,
// resting together on a flat base.
void writeRockCluster(const std::string& folder);
