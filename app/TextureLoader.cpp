#include "app/TextureLoader.h"

#include "app/Globals.h"
#include "app/Platform.h"
#include "app/Texture.h"
#include "app/TextureImage.h"
#include "app/TextFile.h"

#include <GL/glew.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

// Far more than any picture the context could take; a larger file is not read.
constexpr std::size_t kImageFileLimit = 512u << 20;

// A texture cannot be made of the file: the loader's line, and on standard error the file and why.
void refuse(const std::string& path, const std::string& problem)
{
    std::cout << "\nFailed to load texture" << std::endl;
    std::cerr << path << " " << problem << std::endl;
}

void loadTexture(const std::filesystem::path& file, int maxSide)
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

    FileContents contents = readWholeFile(path, kImageFileLimit);
    if (!contents.read()) {
        refuse(path, contents.problem);
        return;
    }
    TextureImage image = TextureImage::decode(contents.bytes, maxSide);
    if (!image.usable()) {
        refuse(path, image.problem);
        return;
    }
    GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
    // stb_image rows are tightly packed; OpenGL's default 4-byte row alignment would read
    // past the end of an RGB image whose row is not a multiple of four bytes.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glGenerateMipmap(GL_TEXTURE_2D);
    textureMap.emplace(name, std::make_shared<Texture>(Texture{name, id}));
    std::cout << "\nloaded texture " << name;
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
    GLint maxSide = 0;
    if (!error) {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    }
    while (!error && entry != std::filesystem::directory_iterator()) {
        loadTexture(entry->path(), maxSide);
        entry.increment(error);
    }
    if (error) {
        std::cout << std::endl;
        platform::reportError("cannot read the textures folder " + folder + ": " + error.message());
        return kTexturesFolderUnreadable;
    }
    return 0;
}
