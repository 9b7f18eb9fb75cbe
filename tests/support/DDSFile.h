#pragma once

#include <cstdint>
#include <string>

// The fields of a DDS file that the font loader reads; everything else in the header is zero.
struct DDSHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t linearSize = 0;
    uint32_t mipMapCount = 0;
    std::string fourCC = "DXT5";
    std::string magic = "DDS ";
};

// Magic, 124-byte header and then `data`, byte for byte.
std::string ddsFile(const DDSHeader& header, const std::string& data);

// `count` bytes of a recognisable pattern, so uploaded levels can be compared with the file.
std::string patternBytes(size_t count, unsigned seed);

// A DXT5 font of `side` x `side` texels (a multiple of 64, so each glyph cell is whole blocks) with
// its full mip-map chain: white glyphs that are opaque everywhere except the cell of the space, which
// is fully transparent.
std::string solidGlyphFont(uint32_t side);
