#pragma once

// Result of loadTextures when Resources/textures cannot be walked; start-up stops on it.
constexpr int kTexturesFolderUnreadable = 2;

// Uploads every image of Resources/textures that decodes to RGB or RGBA into textureMap,
// keyed by file name. Returns 1 when the working directory cannot be read,
// kTexturesFolderUnreadable (after its message and pause) when the folder cannot be walked, else 0.
int loadTextures();
