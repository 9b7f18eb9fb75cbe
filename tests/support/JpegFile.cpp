#include "tests/support/JpegFile.h"

#include <stb_image_write.h>

#include <vector>

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
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
    // Ones, so that the picture is its coefficients; a zero coefficient everywhere gives grey.
    const std::string quantization = std::string(1, '\0') + std::string(64, '\x01');
    const std::string frameHeader("\x08\x00\x06\x00\x08\x03"
                                  "\x01\x11\x00\x02\x11\x00\x03\x11\x00",
                                  15);
    std::array<unsigned char, 16> oneCode{};
    oneCode[0] = 1;
    // Each block's one-bit code, padded with ones to the byte; the refinement's one bit a block likewise.
    const std::string threeBlocks = "\x1F";
    const std::string oneBlock = "\x7F";

    ProgressiveJpeg file;
    file.frame = "\xFF\xD8" + jpegSegment(0xDB, quantization) + jpegSegment(0xC2, frameHeader);
    file.dcTable = jpegSegment(0xC4, huffmanTable(0x00, oneCode));
    // Components 1 to 3 with their table selectors; spectrum 0 to 0; successive approximation.
    file.dcScan = jpegSegment(0xDA, std::string("\x03\x01\x00\x02\x00\x03\x00\x00\x00\x01", 10)) + threeBlocks;
    file.dcRefinement = jpegSegment(0xDA, std::string("\x03\x01\x10\x02\x10\x03\x10\x00\x00\x10", 10)) + threeBlocks;
    file.acTable = jpegSegment(0xC4, huffmanTable(0x10, oneCode));
    for (char component : {'\x01', '\x02', '\x03'}) {
        file.acScans += jpegSegment(0xDA, std::string{'\x01', component, '\x00', '\x01', '\x3F', '\x00'}) + oneBlock;
    }
    return file;
}
