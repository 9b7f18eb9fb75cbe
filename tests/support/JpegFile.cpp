#include "tests/support/JpegFile.h"

#include <stb_image_write.h>

#include <vector>

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// A table of 8-bit ones, so that the picture is its coefficients; a zero coefficient everywhere gives grey.
std::string onesQuantizationTable(char id)
{
    return std::string(1, id) + std::string(64, '\x01');
}

std::array<unsigned char, 16> oneCode()
{
    std::array<unsigned char, 16> counts{};
    counts[0] = 1;
    return counts;
}

// Start of image and a frame header of `marker`: 8 x 6 texels, components 1 to 3 each of one block, the
// first with quantization table 0 and the other two with `chromaTable`.
std::string startAndFrame(unsigned char marker, char chromaTable)
{
    const std::string header = std::string("\x08\x00\x06\x00\x08\x03\x01\x11\x00", 9) + '\x02' + '\x11' +
                               chromaTable + '\x03' + '\x11' + chromaTable;
    return "\xFF\xD8" + jpegSegment(marker, header);
}

}

std::string writtenJpeg(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 3));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    std::string file;
    stbi_write_jpg_to_func(appendBytes, &file, width, height, 3, pixels.data(), 90);
    return file;
}

std::string jpegSegment(unsigned char marker, const std::string& content)
{
    const size_t length = content.size() + 2;
    return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           content;
}

std::string huffmanTable(unsigned char classAndId, const std::array<unsigned char, 16>& counts)
{
    std::string table(1, static_cast<char>(classAndId));
    size_t codes = 0;
    for (unsigned char count : counts) {
        table += static_cast<char>(count);
        codes += count;
    }
    for (size_t value = 0; value < codes; ++value) {
        table += static_cast<char>(value & 0xFF);
    }
    return table;
}

std::string withSegmentFirst(const std::string& jpeg, const std::string& segment)
{
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

std::string withSegmentAfterTheScan(const std::string& jpeg, const std::string& segment)
{
    return jpeg.substr(0, jpeg.size() - 2) + segment + jpeg.substr(jpeg.size() - 2);
}

std::string overfullHuffmanJpeg()
{
    // A DC table of id 0; its counts follow.
    std::string header(17, '\0');
    header[15] = '\xFF';
    header[16] = '\xFF';
    return "\xFF\xD8" + jpegSegment(0xC4, header);
}

ProgressiveJpeg progressiveJpeg()
{
    // Each block's one-bit code, padded with ones to the byte; the refinement's one bit a block likewise.
    const std::string threeBlocks = "\x1F";
    const std::string oneBlock = "\x7F";

    ProgressiveJpeg file;
    file.frame = startAndFrame(0xC2, '\x00');
    file.quantizationTable = jpegSegment(0xDB, onesQuantizationTable(0));
    file.dcTable = jpegSegment(0xC4, huffmanTable(0x00, oneCode()));
    // Components 1 to 3 with their table selectors; spectrum 0 to 0; successive approximation.
    file.dcScan = jpegSegment(0xDA, std::string("\x03\x01\x00\x02\x00\x03\x00\x00\x00\x01", 10)) + threeBlocks;
    file.dcRefinement = jpegSegment(0xDA, std::string("\x03\x01\x10\x02\x10\x03\x10\x00\x00\x10", 10)) + threeBlocks;
    file.acTable = jpegSegment(0xC4, huffmanTable(0x10, oneCode()));
    for (char component : {'\x01', '\x02', '\x03'}) {
        file.acScans += jpegSegment(0xDA, std::string{'\x01', component, '\x00', '\x01', '\x3F', '\x00'}) + oneBlock;
    }
    return file;
}

ScanByScanJpeg scanByScanJpeg()
{
    // The block's two one-bit codes, padded with ones to the byte.
    const std::string oneBlock = "\x3F";

    ScanByScanJpeg file;
    file.frame = startAndFrame(0xC0, '\x01');
    file.lumaTable = jpegSegment(0xDB, onesQuantizationTable(0));
    file.chromaTable = jpegSegment(0xDB, onesQuantizationTable(1));
    file.huffmanTables = jpegSegment(0xC4, huffmanTable(0x00, oneCode()) + huffmanTable(0x10, oneCode()));
    for (int i = 0; i < 3; ++i) {
        // One component, with DC and AC table 0; all 64 coefficients; no successive approximation.
        const char component = static_cast<char>(i + 1);
        file.scans[i] = jpegSegment(0xDA, std::string{'\x01', component, '\x00', '\x00', '\x3F', '\x00'}) + oneBlock;
    }
    return file;
}
