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

}

std::string pngDataChunkProblem(const unsigned char* data, std::size_t size)
{
    if (size < sizeof(kSignature) || std::memcmp(data, kSignature, sizeof(kSignature)) != 0) {
        return "";
    }
    // stb_image reads each chunk whole, or refuses it, so the next one starts right after its CRC.
    std::size_t at = sizeof(kSignature);
    while (size - at >= kChunkHeader) {
        const std::size_t length = bigEndian(data + at);
        const unsigned char* type = data + at + 4;
        if (isType(type, "IEND")) {
            return "";
        }
        const std::size_t left = size - at - kChunkHeader;
        if (isType(type, "IDAT") && length > left) {
            return "has a PNG data chunk of " + std::to_string(length) + " bytes, more than the " +
                   std::to_string(left) + " left in the file";
        }
        // Any other chunk cut off by the file's end: stb_image skips to the end and fails.
        if (length + kChunkCrc > left) {
            return "";
        }
        at += kChunkHeader + length + kChunkCrc;
    }
    return "";
}
