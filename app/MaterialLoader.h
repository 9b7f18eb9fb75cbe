#pragma once

#include <glm/glm.hpp>

#include <string>

// Reads Resources/materials.dat into materialMap: one Material per "#" header line.
// Returns 1 when the working directory or the file cannot be read, else 0.
int loadMaterials();

// "a,b,c" gives (a, b, c); missing components repeat the last one, a fourth is ignored.
// Throws what std::stof throws for a component without a number.
glm::vec3 parseVec3(std::string value);
