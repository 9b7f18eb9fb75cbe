#include "app/TextureLoader.h"

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/Texture.h"

#include <GL/glew.h>
#include <stb_image.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

void loadTexture(const std::filesystem::path& file)
{
    std::string path = file.string();
    std::string name = file.filename().string();

    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    stbi_set_flip_vertically_on_load(1);
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 0);
    if (pixels != nullptr && (channels == 3 || channels == 4)) {
        GLenum format = channels == 4 ? GL_RGBA : GL_RGB;
        // stb_image rows are tightly packed; OpenGL's default 4-byte row alignment would read
        // past the end of an RGB image whose row is not a multiple of four bytes.
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                     pixels);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        glGenerateMipmap(GL_TEXTURE_2D);
        textureMap.emplace(name, std::make_shared<Texture>(Texture{name, id}));
        std::cout << "\nloaded texture " << name;
    } else {
        std::cout << "\nFailed to load texture" << std::endl;
    }
    stbi_image_free(pixels);
}

}

int loadTextures()
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return 1;
    }
    std::printf("The current working directory is %s", cwd.c_str());

    std::string folder = cwd + "/Resources/textures";
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    while (!error && entry != std::filesystem::directory_iterator()) {
        loadTexture(entry->path());
        entry.increment(error);
    }
    if (error) {
        std::cout << std::endl;
        platform::reportError("cannot read the textures folder " + folder + ": " + error.message());
        return kTexturesFolderUnreadable;
    }
    return 0;
}
