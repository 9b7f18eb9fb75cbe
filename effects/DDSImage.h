#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the font loader takes from the bytes of a DDS file: its format and the whole mip-map levels that
// the file holds, each where it lies in the file. Parsing needs no OpenGL, so hostile files can be tried
// on it alone.
class DDSImage {
public:
    enum class Outcome {
        Image,
        NotDDS,         // no "DDS " magic: refused without a word
        ShortHeader,    // the 124-byte header ends early
        UnknownFormat,  // a four-character code other than DXT1, DXT3 and DXT5: refused without a word
        TooLarge,       // a side beyond `maxSide`: the context could not take it
    };

    struct Level {
        uint32_t width;
        uint32_t height;
        std::size_t offset;  // in the file
        std::size_t size;
    };

    // `maxSide` is the longest side the context takes (at most 2^30).
    static DDSImage parse(const std::string& bytes, uint32_t maxSide);

    Outcome outcome = Outcome::NotDDS;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mipMapCount = 0;
    GLenum format = 0;
    // The image data read: the header's promise (twice the linear size when there are several levels),
    // or less when the file ends first.
    std::size_t dataSize = 0;
    std::vector<Level> levels;
    // The data ended before the level after the last whole one.
    bool cut = false;
};
