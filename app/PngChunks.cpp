#include "app/PngChunks.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Length and type before a chunk's data, its CRC after.
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kChunkCrc = 4;

uint32_t bigEndian(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

bool isType(const unsigned char* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Where a walk over a PNG's chunks stopped.
struct ChunkWalk {
    bool png = false;
    bool reachedEndChunk = false;
    // Why its data chunk must not reach stb_image, if that stopped it.
    std::string dataChunkProblem;
};

ChunkWalk walkChunks(const unsigned char* data, std::size_t size)
{
    ChunkWalk walk;
    if (size < sizeof(kSignature) || std::memcmp(data, kSignature, sizeof(kSignature)) != 0) {
        return walk;
    }
    walk.png = true;
    // stb_image reads each chunk whole, or refuses it, so the next one starts right after its CRC.
    std::size_t at = sizeof(kSignature);
    while (size - at >= kChunkHeader) {
        const std::size_t length = bigEndian(data + at);
        const unsigned char* type = data + at + 4;
        if (isType(type, "IEND")) {
            walk.reachedEndChunk = true;
            return walk;
        }
        const std::size_t left = size - at - kChunkHeader;
        if (isType(type, "IDAT") && length > left) {
            walk.dataChunkProblem = "has a PNG data chunk of " + std::to_string(length) + " bytes, more than the " +
                                    std::to_string(left) + " left in the file";
            return walk;
        }
        // Any other chunk cut off by the file's end: stb_image skips to the end and fails.
        if (length + kChunkCrc > left) {
            return walk;
        }
        at += kChunkHeader + length + kChunkCrc;
    }
    return walk;
}

}

std::string pngDataChunkProblem(const unsigned char* data, std::size_t size)
{
    return walkChunks(data, size).dataChunkProblem;
}

bool pngEndsBeforeItsEndChunk(const unsigned char* data, std::size_t size)
{
    const ChunkWalk walk = walkChunks(data, size);
    return walk.png && !walk.reachedEndChunk;
}
