#pragma once

#include "app/Globals.h"
#include "effects/PostProcessing.h"
#include "world/SimulationEvents.h"

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
class GPUParticleEffect;
class HUD;
class Player;
class Shader;
class Skier;
class Sun;
class Terrain;
struct Material;
struct Texture;
struct Vertex;

namespace physics {
class PhysicsWorld;
struct PhysicsMaterial;
class RigidStatic;
}

// The scene of the run: camera, terrain, player, registered objects, effects, the World's own
// copies of the asset registries, the off-screen targets and the physics. One exists, held by
// `currentWorld` and the game loop. The members are defined by concern: set-up order here in
// World.cpp, the frame in WorldFrame.cpp, shadows in WorldShadows.cpp, physics in WorldPhysics.cpp,
// spawning and the chaser in WorldSpawning.cpp, the player in WorldPlayer.cpp, the terrain in
// WorldTerrain.cpp, the particle effects in WorldParticles.cpp.
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

    // Never called by the run.
    void setTerrain(std::shared_ptr<Terrain> terrain);
    physics::PhysicsWorld* getPhysics();

    // The registries' entries by name; empty when absent.
    std::shared_ptr<Shader> findShader(const std::string& name) const;
    std::shared_ptr<Texture> findTexture(const std::string& name) const;
    std::shared_ptr<Material> findMaterial(const std::string& name) const;

    // True until the chaser skier has been spawned; the loop spawns it on the first such frame.
    bool isChaserPending();

    // One frame of the scene; `dt` is the timeline's step, which only the particles follow.
    void render(float dt);
    // One fixed physics step and what follows it: pose copy, effect count, far objects.
    void updateSimulation();
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

    void initTerrain();
    void initPlayer();
    void initPhysics();
    // Releases the physics in the teardown's order; never called by the run.
    void releasePhysics();

    // Registration of a rock, skier or the player: program, mesh, extents, body, buffers, camera;
    // physical objects join `objects` and the scene.
    void initGameObject(std::shared_ptr<GameObject> obj, std::vector<Vertex> vertices,
                        std::vector<std::uint16_t> indices, const glm::vec3& extents, int type, bool noPhysics,
                        std::string programName);
    void addRock(const glm::vec3& position);
    void addSkier(const glm::vec3& position);
    void spawnObstacles(int count, int kind);
    void spawnChaserSkier(float dx, float dz);
    // One step of the chaser script; true on the frame of the burst.
    bool updateChaserSkier(float dx, float dz);
    // Moves every registered object farther than sqrt(50000) from the player back near it.
    void relocateFarObjects();
    // Never called by the run.
    void addGameObject(std::shared_ptr<GameObject> obj, bool skip);
    void addSkierScaled(const glm::vec3& position, float scale);
    void addRocks(int count);
    void addSkiers(int count);
    void addSkiersAndRocks(int skiers, int rocks);
    void restart();

    // Creates, wires, initialises and appends one particle effect.
    void addParticleEffect();
    // Switches the first effect's compute program: 1 and 2 are modes, other values do nothing.
    void setParticleMode(int mode);
    bool isFirstEffectIdle();
    // The effect-count rule: one effect more or fewer a frame until there are as many as the
    // player's rounded size, never none.
    void balanceEffects();

    void initFramebuffers(unsigned width, unsigned height);
    // Never called by the run: the window is not resizable.
    void resize(unsigned width, unsigned height);
    void deleteFramebuffers();

    std::shared_ptr<Camera> camera;
    std::shared_ptr<Terrain> terrain;
    std::shared_ptr<Background> background;
    std::vector<std::shared_ptr<GameObject>> objects;
    std::shared_ptr<Player> player;
    std::shared_ptr<Geometry> geometry;
    std::vector<std::shared_ptr<GPUParticleEffect>> effects;
    std::shared_ptr<HUD> hud;
    double startTime = 0.0;
    bool running = false;
    std::shared_ptr<Skier> chaser;
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
    // One object stands for the foundation, physics, cooking, dispatcher and scene; it owns every
    // body, shape and controller made through it, and only the teardown releases it.
    physics::PhysicsWorld* physics = nullptr;
    physics::PhysicsMaterial* defaultMaterial = nullptr;
    physics::RigidStatic* terrainActor = nullptr;
    SimulationEvents simulationEvents;

private:
    // A point of the slope near the player, drawn again while it falls off the grid.
    glm::vec3 spawnPointNearPlayer();
    // Position, scale, material, camera and sun of a new obstacle; false (with a message) when
    // the material is missing, and the obstacle is then left out.
    bool placeObstacle(GameObject& obj, const glm::vec3& position, float scale, const std::string& materialName);
};

// Builds the run's World into `currentWorld` from the window size and the registries.
void createWorld();
