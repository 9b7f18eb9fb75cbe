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

// Start of image and a frame header of `marker`: 8 x 6 texels, components 1 up to `components` each of
// one block, the first with quantization table 0 and the others with `chromaTable`.
std::string startAndFrame(unsigned char marker, char chromaTable, int components)
{
    std::string header = std::string("\x08\x00\x06\x00\x08", 5) + static_cast<char>(components);
    for (int id = 1; id <= components; ++id) {
        header += std::string{static_cast<char>(id), '\x11', id == 1 ? '\x00' : chromaTable};
    }
    return "\xFF\xD8" + jpegSegment(marker, header);
}

// Each block's one-bit code or bits, padded with ones to the byte.
std::string blocksOfOneBit(size_t blocks)
{
    return std::string(1, static_cast<char>(0xFF >> blocks));
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
    ProgressiveJpeg file;
    file.frame = startAndFrame(0xC2, '\x00', 3);
    file.quantizationTable = jpegSegment(0xDB, onesQuantizationTable(0));
    file.dcTable = jpegSegment(0xC4, huffmanTable(0x00, oneCode()));
    file.dcScan = firstDcScan("\x01\x02\x03");
    // All three components; spectrum 0 to 0; the last bit, one a block.
    file.dcRefinement =
        jpegSegment(0xDA, std::string("\x03\x01\x10\x02\x10\x03\x10\x00\x00\x10", 10)) + blocksOfOneBit(3);
    file.acTable = jpegSegment(0xC4, huffmanTable(0x10, oneCode()));
    for (char component : {'\x01', '\x02', '\x03'}) {
        file.acScans +=
            jpegSegment(0xDA, std::string{'\x01', component, '\x00', '\x01', '\x3F', '\x00'}) + blocksOfOneBit(1);
    }
    return file;
}

std::string firstDcScan(const std::string& components)
{
    // The components with their table selectors; spectrum 0 to 0; successive approximation.
    std::string header(1, static_cast<char>(components.size()));
    for (char component : components) {
        header += std::string{component, '\x00'};
    }
    return jpegSegment(0xDA, header + std::string("\x00\x00\x01", 3)) + blocksOfOneBit(components.size());
}

ScanByScanJpeg scanByScanJpeg(int components)
{
    ScanByScanJpeg file;
    file.frame = startAndFrame(0xC0, '\x01', components);
    file.lumaTable = jpegSegment(0xDB, onesQuantizationTable(0));
    file.chromaTable = jpegSegment(0xDB, onesQuantizationTable(1));
    file.huffmanTables = jpegSegment(0xC4, huffmanTable(0x00, oneCode()) + huffmanTable(0x10, oneCode()));
    for (int id = 1; id <= components; ++id) {
        // One component, with DC and AC table 0; all 64 coefficients; no successive approximation. The
        // block's two one-bit codes.
        const char component = static_cast<char>(id);
        file.scans.push_back(jpegSegment(0xDA, std::string{'\x01', component, '\x00', '\x00', '\x3F', '\x00'}) +
                             blocksOfOneBit(2));
    }
    return file;
}
