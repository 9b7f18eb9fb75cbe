#include "app/JpegHuffmanTables.h"

namespace {

constexpr unsigned char kFill = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kHuffmanTables = 0xC4;
constexpr unsigned char kStartOfScan = 0xDA;

// A table's class and id byte, then how many codes it has of each length from 1 to 16 bits.
constexpr std::size_t kTableHeader = 17;
constexpr std::size_t kMostCodes = 256;

bool isRestart(unsigned char marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// Markers without a length (a stuffed zero, TEM, the restarts, SOI, EOI): outside entropy-coded data
// stb_image refuses each one, or ends the image on EOI, so nothing after them is read.
bool endsTheWalk(unsigned char marker)
{
    return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9);
}

// stb_image takes any run of 0xFF before a marker byte.
std::size_t pastFill(const unsigned char* data, std::size_t size, std::size_t at)
{
    while (at < size && data[at] == kFill) {
        ++at;
    }
    return at;
}

// Where the entropy-coded data from `at` ends: at the first 0xFF that starts a marker other than a
// stuffed zero or a restart, which stb_image reads on as part of the scan.
std::size_t endOfEntropyData(const unsigned char* data, std::size_t size, std::size_t at)
{
    while (at < size) {
        if (data[at] != kFill) {
            ++at;
            continue;
        }
        const std::size_t marker = at;
        at = pastFill(data, size, at);
        if (at < size && data[at] != 0x00 && !isRestart(data[at])) {
            return marker;
        }
        ++at;
    }
    return size;
}

// The tables of a DHT segment whose content starts at `at` and claims `left` bytes. stb_image reads
// each table's header and values wherever they lie, and only compares the segment's length after
// building the table, so a table running past the segment is read from the bytes after it. Past the
// file's end it reads zeros, so counts there add nothing.
std::string huffmanSegmentProblem(const unsigned char* data, std::size_t size, std::size_t at, std::size_t left)
{
    while (left > 0 && at < size) {
        std::size_t codes = 0;
        for (std::size_t length = 1; length <= 16 && length < size - at; ++length) {
            codes += data[at + length];
        }
        const std::string table = "has a JPEG Huffman table of " + std::to_string(codes) + " codes";
        if (codes > kMostCodes) {
            return table + ", more than " + std::to_string(kMostCodes);
        }
        if (kTableHeader + codes > left) {
            return table + " that runs past the end of its segment";
        }
        at += kTableHeader + codes;
        left -= kTableHeader + codes;
    }
    return "";
}

}

std::string jpegHuffmanTableProblem(const unsigned char* data, std::size_t size)
{
    if (size == 0 || data[0] != kFill) {
        return "";
    }
    std::size_t at = pastFill(data, size, 0);
    if (at == size || data[at] != kStartOfImage) {
        return "";
    }
    ++at;
    for (;;) {
        // Before the frame header stb_image passes over stray bytes between segments; passing over
        // them everywhere looks at every table it could read, and maybe more.
        while (at < size && data[at] != kFill) {
            ++at;
        }
        at = pastFill(data, size, at);
        if (at == size || endsTheWalk(data[at])) {
            return "";
        }
        const unsigned char marker = data[at];
        if (size - at < 3) {
            return "";
        }
        const std::size_t length = static_cast<std::size_t>(data[at + 1]) << 8 | data[at + 2];
        // stb_image refuses every segment shorter than its own length field.
        if (length < 2) {
            return "";
        }
        const std::size_t content = at + 3;
        const std::size_t left = length - 2;
        if (marker == kHuffmanTables) {
            if (std::string problem = huffmanSegmentProblem(data, size, content, left); !problem.empty()) {
                return problem;
            }
        }
        // A segment cut off by the file's end: stb_image reads zeros for the rest and fails.
        if (left > size - content) {
            return "";
        }
        at = content + left;
        // A progressive JPEG, or one of several scans, defines tables between its scans.
        if (marker == kStartOfScan) {
            at = endOfEntropyData(data, size, at);
        }
    }
}
