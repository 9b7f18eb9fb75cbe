#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <memory>

class Camera;
class Player;
class Shader;
class Sun;
class Terrain;

// The snow of the scene: particles that live in GPU memory only. Each step a compute program reads
// the live particles from one half of three storage-buffer streams and writes the next step's into
// the other half, counting them in an atomic counter; the host reads back that one count and draws
// that many points with "renderParticles". The simulation is in GPUParticleEffect.cpp, the drawing
// and the lookup textures in GPUParticleRendering.cpp.
//
// A particle is three vec4, one per stream at the same index. The compute programs give them their
// meaning: stream 0 the position and a timer (above 0: time left lying on the ground; otherwise
// minus the time in the air), stream 1 the velocity and a per-flake phase, stream 2 the last
// step's displacement and the flake's size.
class GPUParticleEffect {
public:
    GPUParticleEffect();
    ~GPUParticleEffect();

    GPUParticleEffect(const GPUParticleEffect&) = delete;
    GPUParticleEffect& operator=(const GPUParticleEffect&) = delete;

    // The mode's compute program; `isFirst` is set again so that modes 1 and 2 start afresh.
    void setComputeShader(std::shared_ptr<Shader> program, int mode);
    void setCamera(std::shared_ptr<Camera> camera);
    void setPlayer(std::shared_ptr<Player> player);
    void setTerrain(std::shared_ptr<Terrain> terrain);
    void setRenderShader(std::shared_ptr<Shader> program);

    // Creates the buffers, the counter, the lookup textures and the vertex arrays, and seeds 50
    // particles around the player. Needs the terrain and the player.
    void init();
    // Writes `count` particles lying on the ground near the player into the current half.
    void seedParticles(unsigned count);
    // One step of the simulation by `dt` of script time, then the draw of its result.
    void update(float dt);
    // The step of update without the clock and the draw.
    void simulate(float dt);
    void setUniformsBegin(float dt);
    void setUniformsSecond(float dt);
    void setUniformsCrash(float dt);

    // Draws the live particles of the current half into the bound framebuffer.
    void render();
    // Fills the 1D texture with `size` texels of three random values in 0..1.
    void createRandomTexture(GLuint texture, unsigned size);
    // Fills the 2D texture with the terrain's height grid: texel (column j, row i) = heights[i][j].
    void createTerrainLookupTexture(GLuint texture);
    // The lookup textures of init, with `size` texels in each random texture.
    void createTextures(unsigned size);

    // Entries per stream buffer, and the most particles a step may write.
    static constexpr unsigned maximumCount = 50000;
    static constexpr GLsizeiptr streamBytes = GLsizeiptr(maximumCount) * 16;
    static constexpr unsigned seedCount = 50;
    static constexpr unsigned randomTexels = 1000;

    bool isFirst = true;
    std::shared_ptr<Player> player;
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Terrain> terrain;
    // The World's sun, handed over at creation; the effect does not read it.
    std::shared_ptr<Sun> sun;
    GLuint vertexArrays[2] = {0, 0};
    // [stream][half]
    GLuint streamBuffers[3][2] = {{0, 0}, {0, 0}, {0, 0}};
    GLuint counterBuffer = 0;
    std::uint32_t particleCount = 0;
    std::uint8_t currentHalf = 0;
    std::int32_t mode = 0;
    float time = 0.0f;
    std::shared_ptr<Shader> computeShader;
    std::shared_ptr<Shader> renderShader;
    // Resident bindless handles where the context has ARB_bindless_texture, otherwise 0.
    std::uint64_t randomLifeTimeSpeedHandle = 0;
    std::uint64_t randomXYZHandle = 0;
    std::uint64_t terrainLookupHandle = 0;
    // The lookup textures in the order of the handles above. Without bindless textures each is
    // bound on the unit of its own name and its sampler is set to that number.
    GLuint lookupTextures[3] = {0, 0, 0};
    bool bindless = false;

private:
    enum Lookup { RandomLifeTimeSpeed = 0, RandomXYZ = 1, TerrainLookup = 2 };
    // The uniform `name` of the current program reads lookup texture `which`.
    void setLookupUniform(const char* name, Lookup which);
    void releaseLookupTextures();
    // The uniforms that modes 1 and 2 share; they differ only in where the emission is centred.
    void setBurstUniforms(float dt, const glm::vec3& emissionCenter);
    // Binding, dispatch and count read-back of one step, with the compute program current.
    void dispatchStep();
    void createVertexArrays();
};

// An earlier particle object that the effect replaced: one program, one pair of storage buffers
// drawn through two vertex arrays, a counter and a copy of it for reading, and a fractional spawn
// count carried from step to step. Nothing in the run makes one.
struct ParticleSystem {
    std::shared_ptr<Shader> program;
    GLuint storageBuffers[2] = {0, 0};
    GLuint vertexArrays[2] = {0, 0};
    GLuint counterBuffer = 0;
    GLuint copyBuffer = 0;
    std::uint32_t count = 0;
    int current = 0;
    double spawnAccumulator = 0.0;
};

// One compute step of the earlier object: whole spawns of 2 per time unit, the current buffer at
// storage binding 0 and the counter at atomic binding 0, the count read back through the copy.
void particleComputeStep(ParticleSystem& system, double dt);
// Blending that keeps the brighter of particle and scene, with depth writes off.
void particleBlendBegin();
void particleBlendEnd();
// Draws the earlier object's current buffer as points, between the two blend calls' states.
void particleDrawPoints(ParticleSystem& system);
