#pragma once

#include "app/Globals.h"

#include <glm/glm.hpp>

#include <string>

// Reads Resources/materials.dat into materialMap: one Material per "#" header line.
// Returns 1 when the working directory or the file cannot be read, else 0.
int loadMaterials();

// Registers the records of a materials.dat text; `path` names the file in messages.
void readMaterials(const std::string& text, const std::string& path, MaterialMap& registry);

// "a,b,c" gives (a, b, c); missing components repeat the last one, a fourth is ignored.
// Throws what std::stof throws for a component without a number, and std::invalid_argument for nan or inf.
glm::vec3 parseVec3(std::string value);
