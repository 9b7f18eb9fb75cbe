#include "effects/DDSImage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kMagicSize = 4;
constexpr std::size_t kHeaderSize = 124;
constexpr std::size_t kDataOffset = kMagicSize + kHeaderSize;

uint32_t readLittleEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
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

DDSImage DDSImage::parse(const std::string& bytes, uint32_t maxSide)
{
    DDSImage image;
    const auto* file = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < kMagicSize || std::memcmp(file, "DDS ", kMagicSize) != 0) {
        return image;
    }
    if (bytes.size() < kDataOffset) {
        image.outcome = Outcome::ShortHeader;
        return image;
    }
    const unsigned char* header = file + kMagicSize;
    image.height = readLittleEndian32(header + 8);
    image.width = readLittleEndian32(header + 12);
    const uint32_t linearSize = readLittleEndian32(header + 16);
    image.mipMapCount = readLittleEndian32(header + 24);

    // Only what the file holds is taken, so a header that promises gigabytes costs nothing.
    const uint64_t promised = image.mipMapCount > 1 ? uint64_t{linearSize} * 2 : linearSize;
    image.dataSize = static_cast<std::size_t>(std::min<uint64_t>(promised, bytes.size() - kDataOffset));

    unsigned blockBytes = 0;
    if (!dxtFormat(header + 80, image.format, blockBytes)) {
        image.outcome = Outcome::UnknownFormat;
        return image;
    }
    // Beyond this OpenGL refuses the levels, and their sizes could no longer be counted in 64 bits.
    if (image.width > maxSide || image.height > maxSide) {
        image.outcome = Outcome::TooLarge;
        return image;
    }
    image.outcome = Outcome::Image;

    uint32_t width = image.width;
    uint32_t height = image.height;
    std::size_t offset = 0;
    for (uint32_t level = 0; level < image.mipMapCount; ++level) {
        if (width == 0 && height == 0) {
            break;
        }
        const uint64_t size = (uint64_t{width} + 3) / 4 * ((uint64_t{height} + 3) / 4) * blockBytes;
        if (size > image.dataSize - offset) {
            image.cut = true;
            break;
        }
        image.levels.push_back({width, height, kDataOffset + offset, static_cast<std::size_t>(size)});
        offset += static_cast<std::size_t>(size);
        if (width == 1 && height == 1) {
            // The 1 x 1 level ends the chain; a level past it would be rejected by OpenGL.
            break;
        }
        width = std::max<uint32_t>(width / 2, 1);
        height = std::max<uint32_t>(height / 2, 1);
    }
    return image;
}
