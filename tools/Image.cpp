#include "Image.h"

#include <stb_image_write.h>

#include <cmath>
#include <stdexcept>

Image::Image(int width, int height)
    : w(width)
    , h(height)
    , pixels(static_cast<size_t>(width) * height, glm::vec3(0.0f))
{
}

void Image::writePng(const std::string& path) const
{
    std::vector<unsigned char> bytes(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const float v = glm::clamp(pixels[i][c], 0.0f, 1.0f);
            bytes[i * 3 + c] = static_cast<unsigned char>(std::lround(v * 255.0f));
        }
    }
    if (!stbi_write_png(path.c_str(), w, h, 3, bytes.data(), w * 3)) {
        throw std::runtime_error("cannot write " + path);
    }
}
