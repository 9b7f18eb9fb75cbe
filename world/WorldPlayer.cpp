#include "world/World.h"

#include "app/Geometry.h"
#include "world/Player.h"
#include "world/Terrain.h"

void World::initPlayer()
{
    player = std::make_shared<Player>();
    // The terrain keeps its start position, the point of the slope above the origin, in its
    // otherwise unused half extents.
    if (terrain) {
        player->position = terrain->halfExtents;
    }
    player->updateModelMatrix();
    player->camera = camera;
    player->updateCamera();
    player->terrain = terrain;
    player->sun = sun;
    player->setMaterial(findMaterial("water"));
    // The player gets a mesh and buffers but no body: its physics is the box controller.
    initGameObject(player, geometry->player.vertices, geometry->player.indices, geometry->player.extents, 0, true,
                   "cook_torrance");
}
