#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

// An RGB picture in [0, 1] per channel, rows from the top, written out as an 8-bit PNG.
class Image {
public:
    Image(int width, int height);

    int width() const { return w; }
    int height() const { return h; }
    glm::vec3& at(int x, int y) { return pixels[static_cast<size_t>(y) * w + x]; }
    const glm::vec3& at(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }

    // Three channels, since the texture loader refuses grey images. Throws when it cannot write.
    void writePng(const std::string& path) const;

private:
    int w;
    int h;
    std::vector<glm::vec3> pixels;
};
