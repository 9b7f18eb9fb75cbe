#include "world/World.h"

#include "effects/GPUParticleEffect.h"
#include "world/Player.h"

#include <cmath>
#include <iostream>

namespace {

const char* const kModePrograms[3] = {"particlesystem_begin", "particlesystem_2", "particlesystem_crash"};

std::shared_ptr<Shader> findParticleProgram(const World& world, const char* name, const char* consequence)
{
    std::shared_ptr<Shader> program = world.findShader(name);
    if (!program) {
        std::cerr << "particles: no shader program \"" << name << "\"; " << consequence << std::endl;
    }
    return program;
}

}

void World::addParticleEffect()
{
    // The snow is seeded on the terrain around the player and drawn for the camera.
    if (!terrain || !camera || !player) {
        std::cerr << "particles: no terrain, camera or player to snow around; no effect added" << std::endl;
        return;
    }
    auto effect = std::make_shared<GPUParticleEffect>();
    effect->setComputeShader(findParticleProgram(*this, kModePrograms[0], "the snow stands still"), 0);
    effect->setRenderShader(findParticleProgram(*this, "renderParticles", "the snow is not drawn"));
    effect->setTerrain(terrain);
    effect->setCamera(camera);
    effect->setPlayer(player);
    effect->sun = sun;
    effect->init();
    effects.push_back(effect);
}

void World::setParticleMode(int mode)
{
    if (effects.empty() || (mode != 1 && mode != 2)) {
        return;
    }
    GPUParticleEffect& first = *effects.front();
    if (mode == 2 && first.mode == 2) {
        return;
    }
    // A missing program leaves the effect in its mode rather than without a program.
    std::shared_ptr<Shader> program = findParticleProgram(*this, kModePrograms[mode], "the snow keeps its mode");
    if (program) {
        first.setComputeShader(program, mode);
    }
}

bool World::isFirstEffectIdle()
{
    return !effects.empty() && effects.front()->mode == 0;
}

void World::balanceEffects()
{
    if (!player) {
        return;
    }
    const long size = std::lround(player->GameObject::scale);
    const long count = static_cast<long>(effects.size());
    if (size > count) {
        std::cout << "players current size is: " << size << " and effects: " << count << std::endl;
        addParticleEffect();
    } else if (count >= 2 && count > size) {
        std::cout << "players current size is: " << size << " and effects: " << count << std::endl;
        effects.pop_back();
    }
}
