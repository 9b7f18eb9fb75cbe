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
