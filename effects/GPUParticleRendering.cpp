#include "effects/GPUParticleEffect.h"

#include "app/GLContext.h"
#include "app/LookupRandom.h"
#include "app/Shader.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Terrain.h"

#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <vector>

namespace {

const GLenum kLookupTargets[3] = {GL_TEXTURE_1D, GL_TEXTURE_1D, GL_TEXTURE_2D};

void setTextureFilters(GLenum target)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
}

}

void GPUParticleEffect::setCamera(std::shared_ptr<Camera> camera)
{
    this->camera = std::move(camera);
}

void GPUParticleEffect::setPlayer(std::shared_ptr<Player> player)
{
    this->player = std::move(player);
}

void GPUParticleEffect::setTerrain(std::shared_ptr<Terrain> terrain)
{
    this->terrain = std::move(terrain);
}

void GPUParticleEffect::setRenderShader(std::shared_ptr<Shader> program)
{
    renderShader = std::move(program);
}

void GPUParticleEffect::render()
{
    // Without its program (reported when the effect was made) there is nothing to draw with.
    if (!renderShader || !camera) {
        return;
    }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    Shader& program = *renderShader;
    program.use();
    glBindVertexArray(vertexArrays[currentHalf]);
    for (GLuint k = 0; k < 3; ++k) {
        glEnableVertexAttribArray(k);
    }

    const glm::mat4 view = viewMatrix(*camera);
    // The cube root of the view's determinant is its scale: 1 for the camera's rigid look-at.
    const float scale = std::pow(glm::determinant(view), 0.33333334f);
    const glm::vec2 globalScale(scale, scale * camera->aspect);
    glUniformMatrix4fv(program.getUniformLocation("projMatrix"), 1, GL_FALSE, glm::value_ptr(camera->projection));
    glUniformMatrix4fv(program.getUniformLocation("viewMatrix"), 1, GL_FALSE, glm::value_ptr(view));
    glUniform3fv(program.getUniformLocation("lightVec"), 1, glm::value_ptr(glm::vec3(0.0f, 0.0f, 100.0f)));
    glUniform1f(program.getUniformLocation("ambientFactor"), 0.05f);
    glUniform1f(program.getUniformLocation("diffuseFactor"), 0.8f);
    glUniform1f(program.getUniformLocation("specularFactor"), 0.3f);
    glUniform1f(program.getUniformLocation("shininess"), 50.0f);
    glUniform1f(program.getUniformLocation("nearPlane"), camera->near);
    glUniform1f(program.getUniformLocation("farPlane"), camera->far);
    glUniform2fv(program.getUniformLocation("globalScale"), 1, glm::value_ptr(globalScale));
    glUniform1i(program.getUniformLocation("contourEnabled"), 1);
    glUniform1f(program.getUniformLocation("contourConstant"), 0.4f);
    glUniform1f(program.getUniformLocation("contourDepthFactor"), 1.0f);
    glUniform3fv(program.getUniformLocation("contourColor"), 1, glm::value_ptr(glm::vec3(0.0f)));

    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(particleCount));

    for (GLuint k = 0; k < 3; ++k) {
        glDisableVertexAttribArray(k);
    }
    glBindVertexArray(0);
    glUseProgram(0);
}

void GPUParticleEffect::createVertexArrays()
{
    glGenVertexArrays(2, vertexArrays);
    for (int half = 0; half < 2; ++half) {
        glBindVertexArray(vertexArrays[half]);
        for (GLuint k = 0; k < 3; ++k) {
            glBindBuffer(GL_ARRAY_BUFFER, streamBuffers[k][half]);
            glEnableVertexAttribArray(k);
            glVertexAttribPointer(k, 4, GL_FLOAT, GL_FALSE, 16, nullptr);
            glDisableVertexAttribArray(k);
        }
    }
}

void GPUParticleEffect::createRandomTexture(GLuint texture, unsigned size)
{
    std::vector<float> data(static_cast<size_t>(size) * 3, 0.0f);
    for (unsigned i = 0; i < size; ++i) {
        const float a = static_cast<float>(lookupRandom.next()) / 32767.0f;
        const float b = static_cast<float>(lookupRandom.next()) / 32767.0f;
        const float c = static_cast<float>(lookupRandom.next()) / 32767.0f;
        data[3 * i] = c;
        data[3 * i + 1] = b;
        data[3 * i + 2] = a;
    }
    glActiveTexture(GL_TEXTURE0 + texture);
    glBindTexture(GL_TEXTURE_1D, texture);
    // An unsized format: the driver chooses how many bits each value keeps.
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, static_cast<GLsizei>(size), 0, GL_RGB, GL_FLOAT, data.data());
    setTextureFilters(GL_TEXTURE_1D);
}

void GPUParticleEffect::createTerrainLookupTexture(GLuint texture)
{
    glActiveTexture(GL_TEXTURE0 + texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::vector<std::vector<float>> heights = terrain->heights;
    const size_t rows = heights.size();
    const size_t cols = rows == 0 ? 0 : heights[0].size();
    std::vector<float> data(rows * cols * 3, 0.0f);
    for (size_t i = 0; i < rows; ++i) {
        for (size_t j = 0; j < cols; ++j) {
            data[(i * cols + j) * 3] = heights[i][j];
        }
    }
    // Columns (along world z) on s, rows (along world x) on t.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, static_cast<GLsizei>(cols), static_cast<GLsizei>(rows), 0, GL_RGB,
                 GL_FLOAT, data.data());
    setTextureFilters(GL_TEXTURE_2D);
}

void GPUParticleEffect::createTextures(unsigned size)
{
    releaseLookupTextures();
    bindless = contextHasExtension("GL_ARB_bindless_texture");
    glGenTextures(3, lookupTextures);
    const char* names[3] = {"gRandomLifeTimeSpeed", "gRandomXYZ", "gTerrainLookup"};
    std::uint64_t* handles[3] = {&randomLifeTimeSpeedHandle, &randomXYZHandle, &terrainLookupHandle};
    for (int which = 0; which < 3; ++which) {
        if (which == TerrainLookup) {
            createTerrainLookupTexture(lookupTextures[which]);
        } else {
            createRandomTexture(lookupTextures[which], size);
        }
        if (bindless) {
            *handles[which] = glGetTextureHandleARB(lookupTextures[which]);
            glMakeTextureHandleResidentARB(*handles[which]);
        }
        setLookupUniform(names[which], static_cast<Lookup>(which));
    }
}

void GPUParticleEffect::setLookupUniform(const char* name, Lookup which)
{
    if (!computeShader) {
        return;
    }
    const GLint location = computeShader->getUniformLocation(name);
    if (bindless) {
        const std::uint64_t handles[3] = {randomLifeTimeSpeedHandle, randomXYZHandle, terrainLookupHandle};
        glUniformHandleui64ARB(location, handles[which]);
        return;
    }
    const GLuint texture = lookupTextures[which];
    glUniform1i(location, static_cast<GLint>(texture));
    glActiveTexture(GL_TEXTURE0 + texture);
    glBindTexture(kLookupTargets[which], texture);
}

void GPUParticleEffect::releaseLookupTextures()
{
    if (bindless) {
        for (std::uint64_t handle : {randomLifeTimeSpeedHandle, randomXYZHandle, terrainLookupHandle}) {
            if (handle != 0) {
                glMakeTextureHandleNonResidentARB(handle);
            }
        }
    }
    glDeleteTextures(3, lookupTextures);
    for (GLuint& texture : lookupTextures) {
        texture = 0;
    }
    randomLifeTimeSpeedHandle = randomXYZHandle = terrainLookupHandle = 0;
}

void particleBlendBegin()
{
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_COLOR, GL_SRC_COLOR);
    glBlendEquation(GL_MAX);
}

void particleBlendEnd()
{
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void particleDrawPoints(ParticleSystem& system)
{
    particleBlendBegin();
    system.program->use();
    glBindVertexArray(system.vertexArrays[system.current]);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(system.count));
    glBindVertexArray(0);
    glUseProgram(0);
    particleBlendEnd();
}
