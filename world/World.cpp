#include "world/World.h"

#include "app/Geometry.h"
#include "app/Settings.h"
#include "app/Shader.h"
#include "effects/Background.h"
#include "effects/HUD.h"
#include "world/Camera.h"
#include "world/GameObject.h"
#include "world/Sun.h"

#include <algorithm>
#include <iostream>
#include <string>

World::World(unsigned width, unsigned height) : width(width), height(height)
{
    // The aspect stays at the camera's own 1.0, whatever the window size.
    camera = std::make_shared<Camera>();
    geometry = std::make_shared<Geometry>();
}

World::~World()
{
    releasePhysics();
}

void World::setMaterials(std::shared_ptr<MaterialMap> materials)
{
    this->materials = std::move(materials);
}

void World::setShaders(std::shared_ptr<ShaderMap> shaders)
{
    this->shaders = std::move(shaders);
}

void World::setTextures(std::shared_ptr<TextureMap> textures)
{
    this->textures = std::move(textures);
}

void World::setSun(std::shared_ptr<Sun> sun)
{
    this->sun = std::move(sun);
}

void World::setTerrain(std::shared_ptr<Terrain> terrain)
{
    this->terrain = std::move(terrain);
}

physics::PhysicsWorld* World::getPhysics()
{
    return physics;
}

bool World::isChaserPending()
{
    return !chaserSpawned;
}

namespace {

template <typename Map>
typename Map::mapped_type findIn(const std::shared_ptr<Map>& map, const std::string& name)
{
    if (!map) {
        return nullptr;
    }
    auto found = map->find(name);
    return found == map->end() ? nullptr : found->second;
}

}

std::shared_ptr<Shader> World::findShader(const std::string& name) const
{
    return findIn(shaders, name);
}

std::shared_ptr<Texture> World::findTexture(const std::string& name) const
{
    return findIn(textures, name);
}

std::shared_ptr<Material> World::findMaterial(const std::string& name) const
{
    return findIn(materials, name);
}

void World::initBackground()
{
    background = std::make_shared<Background>();
    background->camera = camera;
    std::shared_ptr<Shader> program = findShader("background");
    if (!program) {
        std::cerr << "no shader found for background" << std::endl;
        return;
    }
    background->setShader(program);
    if (!background->setupBuffers()) {
        std::cout << "problems initializing GL ...";
    }
    background->texture = findTexture("background.png");
    background->scale = 3200.0f;
    background->position = glm::vec3(0.0f, 100.0f, 0.0f);
    background->updateModelMatrix();
}

void World::initHUD()
{
    hud = std::make_shared<HUD>();
    std::shared_ptr<Shader> program = findShader("TextVertexShader");
    if (!program) {
        std::cerr << "HUD: no shader program \"TextVertexShader\" (Resources/shader/TextVertexShader.vs and "
                     "TextVertexShader.frag); the closing screen shows no text"
                  << std::endl;
    }
    hud->setShader(program);
}

void World::drawText(std::string text, int line, int size, int x, glm::vec3 color)
{
    if (!hud) {
        return;
    }
    // The line buffer holds 255 characters and the terminator; a longer text is cut there.
    char buffer[256];
    const size_t length = std::min(text.size(), sizeof buffer - 1);
    text.copy(buffer, length);
    buffer[length] = '\0';
    hud->printText(buffer, x + 10, 400 - 15 * line, size, color);
}

void World::renderEndScreen()
{
    drawText("THE END!", 0, 50, 200, glm::vec3(1.0f, 0.0f, 0.0f));
    drawText("POWERED BY", 5, 20, 300, glm::vec3(1.0f, 1.0f, 1.0f));
    drawText("VELMORRA SHOWCASE TEAM - ENGINE AND ART", 8, 15, 100, glm::vec3(1.0f, 1.0f, 1.0f));
}

void World::initPostProcessing(int width, int height)
{
    std::shared_ptr<Shader>* programs[] = {&postProcessing.downsampleShader, &postProcessing.featureShader,
                                           &postProcessing.blurShader, &postProcessing.upscaleShader};
    const char* names[] = {"downsampler", "featureGeneration", "blur", "upscale"};
    for (int i = 0; i < 4; ++i) {
        *programs[i] = findShader(names[i]);
        if (!*programs[i]) {
            std::cerr << "post-processing: no shader program \"" << names[i] << "\"; the window shows nothing"
                      << std::endl;
        }
    }
    postProcessing.setCamera(camera);
    // Copied once: the chain does not follow later moves of the sun.
    if (sun) {
        postProcessing.setSunPosition(sun->position);
    }
    postProcessing.setup(width, height);
}

void createWorld()
{
    currentWorld = std::make_shared<World>(static_cast<unsigned>(settings::windowWidth),
                                           static_cast<unsigned>(settings::windowHeight));
    currentWorld->setMaterials(std::make_shared<MaterialMap>(materialMap));
    currentWorld->setShaders(std::make_shared<ShaderMap>(shaderMap));
    currentWorld->setTextures(std::make_shared<TextureMap>(textureMap));
    currentWorld->initShadowMap();
    currentWorld->initSun();
    currentWorld->initTerrain();
    currentWorld->initBackground();
    currentWorld->initPlayer();
    currentWorld->initPhysics();
    currentWorld->addParticleEffect();
    currentWorld->initPostProcessing(settings::windowWidth, settings::windowHeight);
    currentWorld->initHUD();
    currentWorld->initFramebuffers(static_cast<unsigned>(settings::windowWidth),
                                   static_cast<unsigned>(settings::windowHeight));
}
