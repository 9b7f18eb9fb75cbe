#include "FontAtlas.h"

#include <stb_dxt.h>
#include <stb_truetype.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

// The closing screen's largest line is about 62 pixels a glyph in a 1000-pixel-wide window, so
// 64-texel cells are minified there and never magnified into blur.
constexpr int atlasSize = 1024;
constexpr int cellSize = atlasSize / 16;

uint32_t bigEndian(const std::vector<unsigned char>& bytes, size_t offset, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value << 8 | bytes[offset + i];
    }
    return value;
}

// stb_truetype trusts its input, so a file is handed to it only when it starts like a TrueType
// or OpenType font and its table directory and every table lie within the file.
bool looksLikeFont(const std::vector<unsigned char>& ttf)
{
    if (ttf.size() < 12) {
        return false;
    }
    const uint32_t tag = bigEndian(ttf, 0, 4);
    if (tag != 0x00010000u && tag != 0x74727565u && tag != 0x4f54544fu) { // 1.0, "true", "OTTO"
        return false;
    }
    const size_t tables = bigEndian(ttf, 4, 2);
    if (12 + 16 * tables > ttf.size()) {
        return false;
    }
    for (size_t t = 0; t < tables; ++t) {
        const uint64_t offset = bigEndian(ttf, 12 + 16 * t + 8, 4);
        const uint64_t length = bigEndian(ttf, 12 + 16 * t + 12, 4);
        if (offset + length > ttf.size()) {
            return false;
        }
    }
    return true;
}

// Coverage of one glyph per texel. The HUD gives a glyph's top edge the texture coordinate
// v = row / 16 and its bottom edge v + 1/16, and glCompressedTexImage2D puts the first texel
// row of the data at v = 0. So glyphs are stored the way they read, top row first, with the
// row of codes 0..15 at the start of the file: text then stands upright on the screen.
std::vector<uint8_t> rasteriseGlyphs(const std::string& fontPath)
{
    std::ifstream in(fontPath, std::ios::binary);
    const std::vector<unsigned char> ttf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    stbtt_fontinfo font;
    if (!looksLikeFont(ttf) || !stbtt_InitFont(&font, ttf.data(), 0)) {
        throw std::runtime_error("cannot read the font " + fontPath);
    }

    // Ascender to descender fills the cell, so every glyph fits and all share one baseline.
    const float scale = stbtt_ScaleForPixelHeight(&font, static_cast<float>(cellSize));
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font, &ascent, &descent, &lineGap);
    const int baseline = static_cast<int>(ascent * scale + 0.5f);

    std::vector<uint8_t> coverage(atlasSize * atlasSize, 0);
    for (int code = 33; code < 127; ++code) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&font, code, &advance, &bearing);
        // The HUD sets every glyph in a square cell, so each is centred on its own advance.
        const float originX = (cellSize - advance * scale) * 0.5f;
        const float shiftX = originX - static_cast<float>(static_cast<int>(originX));
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        stbtt_GetCodepointBitmapBoxSubpixel(&font, code, scale, scale, shiftX, 0.0f, &x0, &y0, &x1, &y1);
        const int w = x1 - x0;
        const int h = y1 - y0;
        if (w <= 0 || h <= 0) {
            continue;
        }
        std::vector<unsigned char> glyph(static_cast<size_t>(w) * h);
        stbtt_MakeCodepointBitmapSubpixel(&font, glyph.data(), w, h, w, scale, scale, shiftX, 0.0f, code);

        const int cellX = (code % 16) * cellSize;
        const int cellY = (code / 16) * cellSize;
        const int left = static_cast<int>(originX) + x0;
        const int top = baseline + y0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int cx = left + x;
                const int cy = top + y;
                if (cx >= 0 && cx < cellSize && cy >= 0 && cy < cellSize) {
                    coverage[static_cast<size_t>(cellY + cy) * atlasSize + cellX + cx] = glyph[static_cast<size_t>(y) * w + x];
                }
            }
        }
    }
    return coverage;
}

// A box filter: each level keeps the mean coverage of the one above, and as the cells halve with
// the level no glyph spreads into its neighbour.
std::vector<uint8_t> halve(const std::vector<uint8_t>& level, int size)
{
    const int half = size / 2;
    std::vector<uint8_t> out(static_cast<size_t>(half) * half);
    for (int y = 0; y < half; ++y) {
        for (int x = 0; x < half; ++x) {
            const int sum = level[(2 * y) * size + 2 * x] + level[(2 * y) * size + 2 * x + 1] +
                            level[(2 * y + 1) * size + 2 * x] + level[(2 * y + 1) * size + 2 * x + 1];
            out[static_cast<size_t>(y) * half + x] = static_cast<uint8_t>((sum + 2) / 4);
        }
    }
    return out;
}

// White texels with the coverage as alpha, in 4 x 4 blocks; levels smaller than a block repeat
// their edge texels to fill it.
void compressLevel(const std::vector<uint8_t>& alpha, int size, std::vector<uint8_t>& out)
{
    for (int by = 0; by < std::max(size, 4); by += 4) {
        for (int bx = 0; bx < std::max(size, 4); bx += 4) {
            unsigned char block[64];
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    const int sx = std::min(bx + x, size - 1);
                    const int sy = std::min(by + y, size - 1);
                    unsigned char* texel = block + (y * 4 + x) * 4;
                    texel[0] = texel[1] = texel[2] = 255;
                    texel[3] = alpha[static_cast<size_t>(sy) * size + sx];
                }
            }
            unsigned char packed[16];
            stb_compress_dxt_block(packed, block, 1, STB_DXT_HIGHQUAL);
            out.insert(out.end(), packed, packed + 16);
        }
    }
}

void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

void writeFontAtlas(const std::string& folder, const std::string& fontPath)
{
    std::vector<uint8_t> level = rasteriseGlyphs(fontPath);
    std::vector<uint8_t> data;
    int levels = 0;
    for (int size = atlasSize; size >= 1; size /= 2) {
        compressLevel(level, size, data);
        ++levels;
        if (size > 1) {
            level = halve(level, size);
        }
    }

    // "DDS " and the 124-byte header: size, flags, height, width, linear size, depth, mip count,
    // then the pixel format (32 bytes, four-character code) and the caps.
    std::vector<uint8_t> file(128, 0);
    std::memcpy(file.data(), "DDS ", 4);
    put32(file, 4, 124);
    put32(file, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000); // caps, height, width, format, mips, linear size
    put32(file, 12, atlasSize);
    put32(file, 16, atlasSize);
    put32(file, 20, (atlasSize / 4) * (atlasSize / 4) * 16);
    put32(file, 28, static_cast<uint32_t>(levels));
    put32(file, 76, 32);
    put32(file, 80, 0x4); // the format is given by its four-character code
    std::memcpy(file.data() + 84, "DXT5", 4);
    put32(file, 108, 0x8 | 0x1000 | 0x400000); // complex, texture, mip map
    file.insert(file.end(), data.begin(), data.end());

    const std::string path = folder + "/Zaravoda.DDS";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}
