#include "world/World.h"

#include "app/Shader.h"
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
        if (!findTexture(name)) {
            // The slope is still drawn: dark without its picture, smooth without its relief.
            std::cerr << "terrain: texture \"" << name << "\" not found" << std::endl;
        }
    }
}
