#include "tests/support/DDSFile.h"

#include <algorithm>

namespace {

void putLittleEndian32(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// One DXT5 block of white texels whose alpha is `alpha` everywhere.
std::string dxt5Block(unsigned char alpha)
{
    std::string block(16, '\0');
    block[0] = static_cast<char>(alpha);
    block[1] = static_cast<char>(alpha);
    for (size_t i = 8; i < 12; ++i) {
        block[i] = static_cast<char>(0xFF);
    }
    return block;
}

}

std::string ddsFile(const DDSHeader& header, const std::string& data)
{
    std::string bytes = header.magic;
    bytes.resize(4, '\0');
    bytes.append(124, '\0');
    putLittleEndian32(bytes, 4, 124);
    putLittleEndian32(bytes, 12, header.height);
    putLittleEndian32(bytes, 16, header.width);
    putLittleEndian32(bytes, 20, header.linearSize);
    putLittleEndian32(bytes, 28, header.mipMapCount);
    bytes.replace(84, 4, header.fourCC.substr(0, 4));
    bytes.resize(128, '\0');
    return bytes + data;
}

std::string patternBytes(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
    }
    return bytes;
}

std::string solidGlyphFont(uint32_t side)
{
    const uint32_t blocksPerCell = side / 64;
    DDSHeader header;
    header.width = side;
    header.height = side;
    header.linearSize = side * side;
    std::string data;
    for (uint32_t level = side; ; level /= 2) {
        ++header.mipMapCount;
        const uint32_t blocks = std::max<uint32_t>(level / 4, 1);
        for (uint32_t by = 0; by < blocks; ++by) {
            for (uint32_t bx = 0; bx < blocks; ++bx) {
                // Level 0 keeps the cells exact; smaller levels only need to exist.
                uint32_t code = level == side ? (by / blocksPerCell) * 16 + bx / blocksPerCell : 0;
                data += dxt5Block(code == ' ' ? 0 : 255);
            }
        }
        if (level == 1) {
            break;
        }
    }
    return ddsFile(header, data);
}
