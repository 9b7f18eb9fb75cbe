#include "effects/PostProcessing.h"

#include "app/PassTimer.h"
#include "app/RenderTarget.h"
#include "app/Shader.h"
#include "app/Texture.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kFlareBlurDraws = 30;
constexpr int kBloomBlurDraws = 20;
const glm::vec4 kThresholdScale(5.0f);
const glm::vec4 kThresholdBias(-0.8f);

// Position (3 floats) and texture coordinate (2 floats) of the full-screen triangle strip.
constexpr float kQuadVertices[] = {
    -1.0f, 1.0f, 0.0f, 0.0f, 1.0f,
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,
    1.0f, 1.0f, 0.0f, 1.0f, 1.0f,
    1.0f, -1.0f, 0.0f, 1.0f, 0.0f,
};

// The system's sampler convention: a texture is bound on the unit numbered by its own name.
void bindSampler(Shader& shader, const char* uniform, GLuint texture)
{
    glActiveTexture(GL_TEXTURE0 + texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(shader.getUniformLocation(uniform), static_cast<GLint>(texture));
}

void setInt(Shader& shader, const char* uniform, int value)
{
    glUniform1i(shader.getUniformLocation(uniform), value);
}

void setFloat(Shader& shader, const char* uniform, float value)
{
    glUniform1f(shader.getUniformLocation(uniform), value);
}

void checkFramebuffer()
{
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
}

}

PostProcessing::PostProcessing() = default;

PostProcessing::~PostProcessing()
{
    // Before the first setup there are no GL objects, and perhaps no GL at all.
    if (!firstSetup) {
        deleteObjects();
    }
}

void PostProcessing::deleteObjects()
{
    glDeleteBuffers(1, &quadVertexBuffer);
    glDeleteVertexArrays(1, &quadVertexArray);
    glDeleteFramebuffers(1, &downsampleFramebuffer);
    glDeleteFramebuffers(1, &featureFramebuffer);
    glDeleteFramebuffers(4, blurFramebuffers);
    glDeleteTextures(1, &downsampleTexture);
    glDeleteTextures(1, &featureTexture);
    glDeleteTextures(4, blurTextures);
}

void PostProcessing::setup(int width, int height)
{
    if (!firstSetup) {
        deleteObjects();
        if (lensColorTexture) {
            glDeleteTextures(1, &lensColorTexture->id);
        }
    }

    glGenFramebuffers(1, &downsampleFramebuffer);
    glGenTextures(1, &downsampleTexture);
    specifyTarget(downsampleFramebuffer, downsampleTexture, width, height);
    glGenFramebuffers(1, &featureFramebuffer);
    glGenTextures(1, &featureTexture);
    specifyTarget(featureFramebuffer, featureTexture, width, height);
    glGenFramebuffers(4, blurFramebuffers);
    glGenTextures(4, blurTextures);
    for (int i = 0; i < 4; ++i) {
        specifyTarget(blurFramebuffers[i], blurTextures[i], width, height);
    }

    glGenVertexArrays(1, &quadVertexArray);
    glGenBuffers(1, &quadVertexBuffer);
    glBindVertexArray(quadVertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, quadVertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float),
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    createLensColorTexture(width, height);
    firstSetup = false;
}

void PostProcessing::resize(int width, int height)
{
    specifyTarget(downsampleFramebuffer, downsampleTexture, width, height);
    specifyTarget(featureFramebuffer, featureTexture, width, height);
    for (int i = 0; i < 4; ++i) {
        specifyTarget(blurFramebuffers[i], blurTextures[i], width, height);
    }
}

// (Re)specifies one colour target at the given size and attaches it to its framebuffer.
void PostProcessing::specifyTarget(GLuint framebuffer, GLuint texture, int width, int height)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    specifyColorTarget(texture, width, height);
    attachColorTarget(texture, 0);
    checkFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

glm::vec3 PostProcessing::hueToRgb(float t)
{
    // Converting a value beyond int (or nan) would be undefined; all of them lie past the last band.
    if (!(t < 1.0f)) {
        return glm::vec3(0.0f);
    }
    int s = static_cast<int>(t * 256.0f * 6.0f);
    float m = static_cast<float>(s % 256);
    glm::vec3 rgb(0.0f);
    switch (s / 256) {
    case 0: rgb = glm::vec3(255.0f, m, 0.0f); break;
    case 1: rgb = glm::vec3(255.0f - m, 255.0f, 0.0f); break;
    case 2: rgb = glm::vec3(0.0f, 255.0f, m); break;
    case 3: rgb = glm::vec3(0.0f, 255.0f - m, 255.0f); break;
    case 4: rgb = glm::vec3(m, 0.0f, 255.0f); break;
    case 5: rgb = glm::vec3(255.0f, 0.0f, 255.0f - m); break;
    default: break;
    }
    return rgb / 255.0f;
}

glm::vec3 PostProcessing::lensColor(int row, int column, int width, int height)
{
    int halfWidth = width / 2;
    int halfHeight = height / 2;
    float maxDistance = static_cast<float>(
        std::sqrt(static_cast<double>(halfHeight) * halfHeight + static_cast<double>(halfWidth) * halfWidth));
    // 64-bit: the squares of a distance across 100000 texels pass the range of int.
    long long dx = halfWidth - static_cast<long long>(column);
    long long dy = halfHeight - static_cast<long long>(row);
    float d = sqrtf(static_cast<float>(dx * dx + dy * dy));
    // A texture of 1 x 1 has no distance to spread the ramp over: its only texel is the centre.
    return hueToRgb(maxDistance > 0.0f ? d / maxDistance : 0.0f);
}

void PostProcessing::createLensColorTexture(int width, int height)
{
    lensColorTexture = std::make_shared<Texture>();
    lensColorTexture->name = "lensFlareColor";

    glGenTextures(1, &lensColorTexture->id);
    glBindTexture(GL_TEXTURE_2D, lensColorTexture->id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, width, height, 0, GL_RGB, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (width <= 0 || height <= 0) {
        return;
    }

    // Uploaded a band of rows at a time: the whole image in floats would be 12 bytes a texel, gigabytes
    // for a large window, where a band stays within a few megabytes.
    const size_t rowFloats = static_cast<size_t>(width) * 3;
    const int bandRows = static_cast<int>(std::clamp<size_t>((size_t{4} << 20) / (rowFloats * sizeof(float)), 1,
                                                             static_cast<size_t>(height)));
    std::vector<float> band(rowFloats * static_cast<size_t>(bandRows), 0.0f);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int first = 0; first < height; first += bandRows) {
        const int rows = std::min(bandRows, height - first);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < width; ++c) {
                glm::vec3 rgb = lensColor(first + r, c, width, height);
                size_t at = static_cast<size_t>(r) * rowFloats + static_cast<size_t>(c) * 3;
                band[at] = rgb.r;
                band[at + 1] = rgb.g;
                band[at + 2] = rgb.b;
            }
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, width, rows, GL_RGB, GL_FLOAT, band.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void PostProcessing::setCamera(std::shared_ptr<Camera> newCamera)
{
    camera = std::move(newCamera);
}

void PostProcessing::setSunPosition(glm::vec3 position)
{
    sunPosition = position;
}

void PostProcessing::drawQuad()
{
    glBindVertexArray(quadVertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
}

void PostProcessing::threshold(const char* pass, GLuint source, int bloom)
{
    PassTimer timer(pass);
    downsampleShader->use();
    glBindFramebuffer(GL_FRAMEBUFFER, downsampleFramebuffer);
    setInt(*downsampleShader, "bloom", bloom);
    bindSampler(*downsampleShader, "image", source);
    glUniform4fv(downsampleShader->getUniformLocation("scale"), 1, glm::value_ptr(kThresholdScale));
    glUniform4fv(downsampleShader->getUniformLocation("bias"), 1, glm::value_ptr(kThresholdBias));
    drawQuad();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

GLuint PostProcessing::blur(const char* pass, int pair, GLuint source, int draws)
{
    PassTimer timer(pass);
    blurShader->use();
    int horizontal = 1;
    for (int i = 0; i < draws; ++i) {
        glBindFramebuffer(GL_FRAMEBUFFER, blurFramebuffers[pair + horizontal]);
        setInt(*blurShader, "horizontal", horizontal);
        horizontal = 1 - horizontal;
        bindSampler(*blurShader, "image", i == 0 ? source : blurTextures[pair + horizontal]);
        drawQuad();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // The last draw wrote the pair's texture [0] when the flag ended at 1, texture [1] otherwise.
    return blurTextures[pair + (horizontal == 1 ? 0 : 1)];
}

void PostProcessing::render(const GLuint* sceneTextures, GLuint motionVectorTexture)
{
    if (!downsampleShader || !featureShader || !blurShader || !upscaleShader || !camera || firstSetup) {
        // Incomplete chain (a program missing from the registry): an empty window rather than a crash.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    threshold("post/flare threshold", sceneTextures[0], 0);
    drawFeatures();
    GLuint flare = blur("post/flare blur", 0, featureTexture, kFlareBlurDraws);
    threshold("post/bloom threshold", sceneTextures[1], 1);
    GLuint bloom = blur("post/bloom blur", 2, downsampleTexture, kBloomBlurDraws);
    composite(sceneTextures[0], flare, bloom, motionVectorTexture);
}

void PostProcessing::drawFeatures()
{
    PassTimer timer("post/flare features");
    featureShader->use();
    glBindFramebuffer(GL_FRAMEBUFFER, featureFramebuffer);
    bindSampler(*featureShader, "image", downsampleTexture);
    setInt(*featureShader, "numberOfGhosts", 2);
    setFloat(*featureShader, "ghostDispersal", 3.0f);
    setFloat(*featureShader, "haloWidth", 0.7f);
    bindSampler(*featureShader, "lensColor", lensColorTexture->id);
    glUniformMatrix4fv(featureShader->getUniformLocation("viewProjMatrix"), 1, GL_FALSE,
                       glm::value_ptr(viewProjection(*camera)));
    glUniform3fv(featureShader->getUniformLocation("sunPosition"), 1, glm::value_ptr(sunPosition));
    drawQuad();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void PostProcessing::composite(GLuint scene, GLuint flare, GLuint bloom, GLuint motionVectorTexture)
{
    PassTimer timer("post/composite");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    upscaleShader->use();
    bindSampler(*upscaleShader, "image", scene);
    bindSampler(*upscaleShader, "lensFlare", flare);
    bindSampler(*upscaleShader, "bloom", bloom);
    bindSampler(*upscaleShader, "motionVector", motionVectorTexture);
    drawQuad();
    glActiveTexture(GL_TEXTURE0);
}
