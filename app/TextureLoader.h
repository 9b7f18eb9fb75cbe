#pragma once

// Uploads every image of Resources/textures that decodes to RGB or RGBA into textureMap,
// keyed by file name. Returns 1 when the working directory cannot be read, else 0.
// A textures folder that cannot be walked is reported and ends the program with exit code 1.
int loadTextures();
