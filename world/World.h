#pragma once

#include "app/Globals.h"
#include "effects/PostProcessing.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Background;
class Camera;
class GameObject;
class Geometry;
class HUD;
class Shader;
class Sun;

// The scene of the run: camera, scene objects, effects, the World's own copies of the asset
// registries and the off-screen targets. One exists, held by `currentWorld` and the game loop.
class World {
public:
    World(unsigned width, unsigned height);
    ~World();

    World(const World&) = delete;
    World& operator=(const World&) = delete;

    void setMaterials(std::shared_ptr<MaterialMap> materials);
    void setShaders(std::shared_ptr<ShaderMap> shaders);
    void setTextures(std::shared_ptr<TextureMap> textures);
    // Never called by the run: initSun makes the sun.
    void setSun(std::shared_ptr<Sun> sun);

    // True until the chaser skier has been spawned; the loop spawns it on the first such frame.
    bool isChaserPending();

    // One frame of the scene; `dt` is the timeline's step, which only the particles follow.
    void render(float dt);
    // Turns the view by 0.1 * v degrees of yaw.
    void moveCamera(float v);

    // The depth cube map of the sun's shadows, its framebuffer and the "shadowmap" program.
    void initShadowMap();
    // The sun above the slope, taking the shadow cube texture made by initShadowMap.
    void initSun();
    // Draws every registered object into all six faces of the shadow cube in one pass.
    void renderShadowCubeMap();
    // The stages of initShadowMap one by one; never called by the run.
    void createShadowCubeTexture();
    void reallocShadowCubeFaces();
    void attachShadowFramebuffer();

    // Hands the chain its four programs, the camera and the sun's position, then sets it up.
    void initPostProcessing(int width, int height);

    // The backdrop around the scene, with the "background" program and picture.
    void initBackground();
    void initHUD();
    // One line of the closing screen: its bottom edge 15 units lower for every `line`.
    void drawText(std::string text, int line, int size, int x, glm::vec3 color);
    void renderEndScreen();

    void initFramebuffers(unsigned width, unsigned height);
    // Never called by the run: the window is not resizable.
    void resize(unsigned width, unsigned height);
    void deleteFramebuffers();

    std::shared_ptr<Camera> camera;
    std::shared_ptr<Background> background;
    std::vector<std::shared_ptr<GameObject>> objects;
    std::shared_ptr<Geometry> geometry;
    std::shared_ptr<HUD> hud;
    double startTime = 0.0;
    bool running = false;
    bool chaserMoving = false;
    bool chaserSpawned = false;
    float chaserSpin = 20.0f;
    std::shared_ptr<TextureMap> textures;
    std::shared_ptr<ShaderMap> shaders;
    std::shared_ptr<MaterialMap> materials;
    std::shared_ptr<Sun> sun;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t shadowWidth = 1024;
    std::uint32_t shadowHeight = 1024;
    GLuint sceneFramebuffer = 0;
    GLuint sceneDepthBuffer = 0;
    GLuint sceneTextures[3] = {0, 0, 0};
    PostProcessing postProcessing;
    GLuint shadowFramebuffer = 0;
    GLuint shadowCubeTexture = 0;
    std::shared_ptr<Shader> shadowShader;
};

// Builds the run's World into `currentWorld` from the window size and the registries.
void createWorld();
