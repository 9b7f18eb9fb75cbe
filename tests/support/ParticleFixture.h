#pragma once

#include "tests/support/GLTestContext.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

class Camera;
class GPUParticleEffect;
class Player;
class Shader;
class Terrain;

// The run's terrain from the seeded engine, the player on its start position and the camera
// behind it as the run places it (100 behind, 15 above, pitch -10 degrees).
class ParticleGL : public GLTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An effect with the given compute program in `mode` and the render program, initialised.
    std::shared_ptr<GPUParticleEffect> makeEffect(std::shared_ptr<Shader> compute, int mode,
                                                  std::shared_ptr<Shader> render);

    // The first `count` entries of one stream buffer.
    static std::vector<glm::vec4> readStream(GLuint buffer, unsigned count);
    static std::uint32_t readCounter(GLuint buffer);

    std::shared_ptr<Terrain> terrain;
    std::shared_ptr<Player> player;
    std::shared_ptr<Camera> camera;
};

// A linked program from stage sources; compile and link logs become test failures.
std::shared_ptr<Shader> programFromSources(const std::vector<std::pair<GLenum, std::string>>& stages);
