#include "tests/support/ParticleFixture.h"

#include "app/Globals.h"
#include "app/Shader.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/ShaderProbe.h"
#include "world/Camera.h"
#include "world/Player.h"
#include "world/Terrain.h"

void ParticleGL::SetUp()
{
    GLTest::SetUp();
    if (HasFatalFailure()) {
        return;
    }
    randomEngine.seed(5489u);
    terrain = std::make_shared<Terrain>();
    player = std::make_shared<Player>();
    player->position = terrain->halfExtents;
    camera = std::make_shared<Camera>();
    camera->position = player->position + glm::vec3(0.0f, 15.0f, 100.0f);
    camera->processMouseMovement(0.0f, -100.0f, true);
}

void ParticleGL::TearDown()
{
    camera.reset();
    player.reset();
    terrain.reset();
    GLTest::TearDown();
}

std::shared_ptr<GPUParticleEffect> ParticleGL::makeEffect(std::shared_ptr<Shader> compute, int mode,
                                                          std::shared_ptr<Shader> render)
{
    auto effect = std::make_shared<GPUParticleEffect>();
    effect->setComputeShader(std::move(compute), mode);
    effect->setRenderShader(std::move(render));
    effect->setTerrain(terrain);
    effect->setCamera(camera);
    effect->setPlayer(player);
    effect->init();
    return effect;
}

std::vector<glm::vec4> ParticleGL::readStream(GLuint buffer, unsigned count)
{
    std::vector<glm::vec4> values(count);
    glGetNamedBufferSubData(buffer, 0, static_cast<GLsizeiptr>(count * sizeof(glm::vec4)), values.data());
    return values;
}

std::uint32_t ParticleGL::readCounter(GLuint buffer)
{
    std::uint32_t value = 0xFFFFFFFFu;
    glGetNamedBufferSubData(buffer, 0, sizeof value, &value);
    return value;
}

std::shared_ptr<Shader> programFromSources(const std::vector<std::pair<GLenum, std::string>>& stages)
{
    GLuint program = glCreateProgram();
    for (const auto& [stage, source] : stages) {
        GLuint shader = compiledShader(stage, source);
        GLint compiled = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        EXPECT_NE(compiled, 0) << compileLog(stage, source);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    EXPECT_TRUE(isLinked(program)) << linkLog(program);
    return std::make_shared<Shader>(program);
}
