#pragma once

#include <string>

// Writes the HUD's bitmap font "Zaravoda.DDS" into `folder`: printable ASCII rasterised from the
// TrueType file `fontPath` into a 1024 x 1024 grid of 64 x 64 cells, white with coverage in alpha,
// DXT5 with its full mip chain. Throws when the font cannot be read or the file written.
void writeFontAtlas(const std::string& folder, const std::string& fontPath);
