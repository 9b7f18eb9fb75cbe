#include "effects/HUD.h"

#include "app/Platform.h"
#include "app/Shader.h"
#include "app/TextFile.h"
#include "effects/DDSImage.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Shared by every HUD: the last one made owns the font and the buffers.
GLuint fontTexture = 0;
GLuint textVertexBuffer = 0;
GLuint textUVBuffer = 0;

// Far more than a font the context could take; a larger file is not read.
constexpr size_t kFontFileLimit = 512u << 20;

}

HUD::HUD()
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        std::fprintf(stderr, "PROBLEMS WITH PATH\n");
        return;
    }
    std::string path = cwd + "/Resources" + "/textures/Zaravoda.DDS";
    fontTexture = loadDDS(path.c_str());
    glGenBuffers(1, &textVertexBuffer);
    glGenBuffers(1, &textUVBuffer);
    glGenVertexArrays(1, &vertexArray);
}

GLuint HUD::loadDDS(const char* path)
{
    FileContents file = readWholeFile(path, kFontFileLimit);
    if (file.status == FileContents::Status::TooLarge) {
        std::fprintf(stderr, "%s %s\n", path, file.problem.c_str());
        return 0;
    }
    if (!file.read()) {
        std::printf("%s could not be opened. Failed to load DDS file", path);
        std::fflush(stdout);
        platform::waitForCharacter();
        return 0;
    }
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    DDSImage image = DDSImage::parse(file.bytes, static_cast<uint32_t>(std::max(maxSide, 0)));
    switch (image.outcome) {
    case DDSImage::Outcome::NotDDS:
    case DDSImage::Outcome::UnknownFormat:
        return 0;
    case DDSImage::Outcome::ShortHeader:
        std::fprintf(stderr, "%s: DDS header ends early\n", path);
        return 0;
    case DDSImage::Outcome::TooLarge:
        std::fprintf(stderr, "%s: DDS font of %u x %u is larger than the context's maximum texture size of %d\n",
                     path, image.width, image.height, maxSide);
        return 0;
    case DDSImage::Outcome::Image:
        break;
    }

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (image.mipMapCount == 0) {
        return texture;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.bytes.data());
    for (size_t level = 0; level < image.levels.size(); ++level) {
        const DDSImage::Level& l = image.levels[level];
        glCompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), image.format, static_cast<GLsizei>(l.width),
                               static_cast<GLsizei>(l.height), 0, static_cast<GLsizei>(l.size), bytes + l.offset);
    }
    const auto loaded = static_cast<unsigned>(image.levels.size());
    if (!image.cut && loaded < image.mipMapCount) {
        std::fprintf(stderr, "%s: DDS mip-map count %u is more than the %u levels of its image; %u loaded\n", path,
                     image.mipMapCount, loaded, loaded);
    }
    if (image.cut) {
        std::fprintf(stderr, "%s: DDS image data ends after %zu bytes, %u of %u mip-map levels loaded\n", path,
                     image.dataSize, loaded, image.mipMapCount);
        if (loaded == 0) {
            glDeleteTextures(1, &texture);
            return 0;
        }
        // Keep the levels that did arrive a complete texture.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(loaded - 1));
    }
    return texture;
}

void HUD::printText(const char* text, int x, int y, int size, glm::vec3 color)
{
    // A HUD made without a working directory, or not yet given its program, has nothing to draw with.
    if (!shader || vertexArray == 0) {
        return;
    }
    const size_t length = std::strlen(text);
    const float cell = 1.0f / 16.0f;
    std::vector<glm::vec2> positions;
    std::vector<glm::vec2> uvs;
    positions.reserve(6 * length);
    uvs.reserve(6 * length);
    for (size_t i = 0; i < length; ++i) {
        int leftEdge = x + static_cast<int>(i) * size;
        float left = static_cast<float>(leftEdge);
        float right = static_cast<float>(leftEdge + size);
        float bottom = static_cast<float>(y);
        float top = static_cast<float>(y + size);
        positions.insert(positions.end(), {{left, top}, {left, bottom}, {right, top},
                                           {right, bottom}, {right, top}, {left, bottom}});

        int code = static_cast<signed char>(text[i]);
        float u = static_cast<float>(code % 16) / 16.0f;
        float v = static_cast<float>(code / 16) / 16.0f;
        uvs.insert(uvs.end(), {{u, v}, {u, v + cell}, {u + cell, v},
                               {u + cell, v + cell}, {u + cell, v}, {u, v + cell}});
    }

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, textVertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(glm::vec2)), positions.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, textUVBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(uvs.size() * sizeof(glm::vec2)), uvs.data(), GL_STATIC_DRAW);

    shader->use();
    glActiveTexture(GL_TEXTURE0 + fontTexture);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glUniform3fv(shader->getUniformLocation("colorIn"), 1, glm::value_ptr(color));
    glUniform1i(shader->getUniformLocation("myTextureSampler"), static_cast<GLint>(fontTexture));

    const GLuint buffers[] = {textVertexBuffer, textUVBuffer};
    for (GLuint attribute = 0; attribute < 2; ++attribute) {
        glEnableVertexAttribArray(attribute);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[attribute]);
        glVertexAttribPointer(attribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    }

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(positions.size()));
    glDisable(GL_BLEND);

    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glBindVertexArray(0);
}

void HUD::setShader(std::shared_ptr<Shader> program)
{
    shader = std::move(program);
}

void HUD::cleanup()
{
    glDeleteBuffers(1, &textVertexBuffer);
    glDeleteBuffers(1, &textUVBuffer);
    glDeleteTextures(1, &fontTexture);
}
