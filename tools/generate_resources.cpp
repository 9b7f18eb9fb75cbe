// Writes the binary run-time data (textures, models, font) below a Resources folder.
// Usage: generate_resources RESOURCES_FOLDER FONT_FILE
#include "BackgroundTexture.h"
#include "FontAtlas.h"
#include "GlacierTextures.h"
#include "RockModel.h"
#include "SkierModel.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " RESOURCES_FOLDER FONT_FILE\n";
        return 2;
    }
    const std::string resources = argv[1];
    const std::string textures = resources + "/textures";
    const std::string models = resources + "/models";
    try {
        std::filesystem::create_directories(textures);
        std::filesystem::create_directories(models);
        // The font first: the one input that can be missing, so a bad path fails at once.
        writeFontAtlas(textures, argv[2]);
        writeGlacierTextures(textures, 1024);
        writeBackground(textures, 1024, 1024);
        writeSkiers(models);
        writeRockCluster(models);
    } catch (const std::exception& e) {
        std::cerr << "generate_resources: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
