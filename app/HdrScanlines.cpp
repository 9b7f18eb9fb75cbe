#include "app/HdrScanlines.h"

#include "app/ByteReader.h"

#include <cstdlib>
#include <cstring>

namespace {

// stb_image's line buffer: longer lines are cut to this, less one byte.
constexpr std::size_t kLineBuffer = 1024;
constexpr long kMostSide = 1 << 24;
// Outside these widths stb_image reads the pixels flat, a fixed number of them.
constexpr int kRunLengthWidths[] = {8, 32768};

// A line as stb_image takes it: up to its line feed, a byte read at the file's end not counted.
std::string readLine(ByteReader& file)
{
    std::string text;
    char c = static_cast<char>(file.next());
    while (!file.atEnd() && c != '\n') {
        text += c;
        if (text.size() == kLineBuffer - 1) {
            while (!file.atEnd() && file.next() != '\n') {
            }
            break;
        }
        c = static_cast<char>(file.next());
    }
    return text;
}

// The picture's size from its "-Y height +X width" line, as stb_image's strtol reads it; false where
// stb_image refuses the line.
bool readSize(const std::string& line, int& width, int& height)
{
    const char* text = line.c_str();
    if (std::strncmp(text, "-Y ", 3) != 0) {
        return false;
    }
    char* end = nullptr;
    height = static_cast<int>(std::strtol(text + 3, &end, 10));
    while (*end == ' ') {
        ++end;
    }
    if (std::strncmp(end, "+X ", 3) != 0) {
        return false;
    }
    width = static_cast<int>(std::strtol(end + 3, nullptr, 10));
    return width >= 0 && height >= 0 && width <= kMostSide && height <= kMostSide;
}

const char kCutOff[] = "has run-length HDR scanlines cut off by the file's end";

// stb_image reads flat pixels four bytes at a time, and where fewer are left it copies none and leaves
// the pixel to whatever its stack held.
std::string flatPixelProblem(const ByteReader& file, std::size_t pixels)
{
    return file.left() / 4 < pixels ? "has flat HDR pixels cut off by the file's end" : "";
}

}

std::string hdrScanlineProblem(const unsigned char* data, std::size_t size)
{
    ByteReader file(data, size);
    const std::string identifier = readLine(file);
    if (std::strcmp(identifier.c_str(), "#?RADIANCE") != 0 && std::strcmp(identifier.c_str(), "#?RGBE") != 0) {
        return "";
    }
    bool rgbe = false;
    for (std::string line = readLine(file); line.c_str()[0] != '\0'; line = readLine(file)) {
        rgbe = rgbe || std::strcmp(line.c_str(), "FORMAT=32-bit_rle_rgbe") == 0;
    }
    int width = 0;
    int height = 0;
    if (!rgbe || !readSize(readLine(file), width, height)) {
        return "";
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width < kRunLengthWidths[0] || width >= kRunLengthWidths[1]) {
        return flatPixelProblem(file, pixels);
    }
    for (int row = 0; row < height; ++row) {
        // A scanline cut within its header: stb_image reads zeros for the rest, and after them pixels
        // flat or empty copies for ever, unless it refuses the length they make.
        if (file.left() < 4) {
            return kCutOff;
        }
        const int c1 = file.next();
        const int c2 = file.next();
        int length = file.next();
        // Not a run-length scanline: stb_image takes these bytes and the next for the first pixel, and
        // reads the whole picture flat from its second pixel on.
        if (c1 != 2 || c2 != 2 || (length & 0x80) != 0) {
            file.next();
            return flatPixelProblem(file, pixels - 1);
        }
        length = length << 8 | file.next();
        if (length != width) {
            return "";
        }
        for (int channel = 0; channel < 4; ++channel) {
            for (int done = 0; done < width;) {
                if (file.atEnd()) {
                    return kCutOff;
                }
                int count = file.next();
                const bool run = count > 128;
                count -= run ? 128 : 0;
                // stb_image refuses a count past the scanline's end.
                if (count > width - done) {
                    return "";
                }
                file.skip(run ? 1 : static_cast<std::size_t>(count));
                done += count;
            }
        }
    }
    return "";
}
