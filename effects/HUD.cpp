#include "effects/HUD.h"

#include "app/Platform.h"
#include "app/Shader.h"

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

constexpr size_t kHeaderSize = 124;

uint32_t readLittleEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Bytes left between the read position and the end, so a lying header cannot make us allocate more.
size_t bytesRemaining(std::FILE* file)
{
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        return 0;
    }
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end > here ? static_cast<size_t>(end - here) : 0;
}

bool dxtFormat(const unsigned char* fourCC, GLenum& format, unsigned& blockBytes)
{
    struct Entry {
        const char* code;
        GLenum format;
        unsigned blockBytes;
    };
    static const Entry formats[] = {
        {"DXT1", GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8},
        {"DXT3", GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 16},
        {"DXT5", GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 16},
    };
    for (const Entry& entry : formats) {
        if (std::memcmp(fourCC, entry.code, 4) == 0) {
            format = entry.format;
            blockBytes = entry.blockBytes;
            return true;
        }
    }
    return false;
}

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
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::printf("%s could not be opened. Failed to load DDS file", path);
        std::fflush(stdout);
        platform::waitForCharacter();
        return 0;
    }
    char magic[4];
    if (std::fread(magic, 1, 4, file) != 4 || std::memcmp(magic, "DDS ", 4) != 0) {
        std::fclose(file);
        return 0;
    }
    unsigned char header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, file) != kHeaderSize) {
        std::fclose(file);
        std::fprintf(stderr, "%s: DDS header ends early\n", path);
        return 0;
    }
    uint32_t height = readLittleEndian32(header + 8);
    uint32_t width = readLittleEndian32(header + 12);
    uint32_t linearSize = readLittleEndian32(header + 16);
    uint32_t mipMapCount = readLittleEndian32(header + 24);

    uint64_t promised = mipMapCount > 1 ? uint64_t{linearSize} * 2 : linearSize;
    std::vector<unsigned char> data(static_cast<size_t>(std::min<uint64_t>(promised, bytesRemaining(file))));
    size_t bytesRead = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);

    GLenum format = 0;
    unsigned blockBytes = 0;
    if (!dxtFormat(header + 80, format, blockBytes)) {
        return 0;
    }

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipMapCount == 0) {
        return texture;
    }

    size_t offset = 0;
    uint32_t level = 0;
    bool cut = false;
    for (; level < mipMapCount; ++level) {
        if (width == 0 && height == 0) {
            break;
        }
        uint64_t size = (uint64_t{width} + 3) / 4 * ((uint64_t{height} + 3) / 4) * blockBytes;
        if (size > bytesRead - offset) {
            cut = true;
            break;
        }
        glCompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), format, static_cast<GLsizei>(width),
                               static_cast<GLsizei>(height), 0, static_cast<GLsizei>(size), data.data() + offset);
        offset += static_cast<size_t>(size);
        if (width == 1 && height == 1) {
            // The 1 x 1 level ends the chain; a level past it would be rejected by OpenGL.
            ++level;
            break;
        }
        width = std::max<uint32_t>(width / 2, 1);
        height = std::max<uint32_t>(height / 2, 1);
    }
    if (!cut && level < mipMapCount) {
        std::fprintf(stderr, "%s: DDS mip-map count %u is more than the %u levels of its image; %u loaded\n", path,
                     mipMapCount, level, level);
    }
    if (cut) {
        std::fprintf(stderr, "%s: DDS image data ends after %zu bytes, %u of %u mip-map levels loaded\n", path,
                     bytesRead, level, mipMapCount);
        if (level == 0) {
            glDeleteTextures(1, &texture);
            return 0;
        }
        // Keep the levels that did arrive a complete texture.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(level - 1));
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
