#pragma once

#include <string>

// Writes the slope's colour texture "glacier2.png" and its height detail "DisplacementMap.png" into
// `folder`: the height in red, its slope along the texture's two axes in green and blue. Both tile
// seamlessly and are made from the same fields, so the bumps in the displacement lie under the
// drifts and cracks of the colour texture.
void writeGlacierTextures(const std::string& folder, int size);
