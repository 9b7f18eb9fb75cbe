#include "world/World.h"

#include "app/Shader.h"
#include "app/Texture.h"
#include "world/Terrain.h"

#include <iostream>

void World::initTerrain()
{
    terrain = std::make_shared<Terrain>();
    terrain->camera = camera;
    std::shared_ptr<Shader> program = findShader("terrain");
    if (!program) {
        std::cerr << "no shader found for terrain" << std::endl;
        return;
    }
    terrain->setShader(program);
    terrain->initGeometry();
    if (!terrain->setupBuffers()) {
        std::cout << "problems initializing GL ...";
    }
    terrain->sun = sun;
    terrain->texture = findTexture("glacier2.png");
    terrain->displacementTexture = findTexture("DisplacementMap.png");
    for (const char* name : {"glacier2.png", "DisplacementMap.png"}) {
        std::shared_ptr<Texture> picture = findTexture(name);
        if (!picture) {
            // The slope is still drawn: dark without its picture, smooth without its relief.
            std::cerr << "terrain: texture \"" << name << "\" not found" << std::endl;
            continue;
        }
        if (!glIsTexture(picture->id)) {
            continue;
        }
        // Sampled from its mip levels: the slope is seen from near to far, and its relief is read
        // at the scale of the tessellation. The levels are made here too, so the texture is
        // complete whoever loaded it.
        // Bound on its own unit, where the draw binds it anyway: no other unit's binding changes.
        glActiveTexture(GL_TEXTURE0 + picture->id);
        glBindTexture(GL_TEXTURE_2D, picture->id);
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
}
