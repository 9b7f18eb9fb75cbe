#pragma once

#include <string>

// Writes "background.png" into `folder`: a sky above a panorama of snowy ranges, for the four
// walls of the backdrop box.
void writeBackground(const std::string& folder, int width, int height);
