#include "app/TextureImage.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// A PNG whose bytes count up from `seed`, stored top row first.
std::string png(int width, int height, int channels, unsigned char seed = 0)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width * height * channels));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(seed + i);
    }
    std::string file;
    stbi_write_png_to_func(appendBytes, &file, width, height, channels, pixels.data(), width * channels);
    return file;
}

void putLittleEndian(std::string& bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A 24-bit BMP of grey texels; its header may claim any size.
std::string bmp(int width, int height)
{
    const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::string file(54 + row * static_cast<size_t>(height), '\x80');
    file[0] = 'B';
    file[1] = 'M';
    putLittleEndian(file, 2, static_cast<uint32_t>(file.size()), 4);
    putLittleEndian(file, 6, 0, 4);
    putLittleEndian(file, 10, 54, 4);
    putLittleEndian(file, 14, 40, 4);
    putLittleEndian(file, 18, static_cast<uint32_t>(width), 4);
    putLittleEndian(file, 22, static_cast<uint32_t>(height), 4);
    putLittleEndian(file, 26, 1, 2);
    putLittleEndian(file, 28, 24, 2);
    for (size_t at = 30; at < 54; ++at) {
        file[at] = '\0';
    }
    return file;
}

void putBigEndian(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * (3 - i))) & 0xFF);
    }
}

// A small PNG whose header claims another size than its one pixel.
std::string pngClaiming(int width, int height, int channels)
{
    std::string file = png(1, 1, channels);
    putBigEndian(file, 16, static_cast<uint32_t>(width));
    putBigEndian(file, 20, static_cast<uint32_t>(height));
    return file;
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    int maxSide;
    int channels;  // 0: refused
    const char* problem;  // how the problem begins; the decoder words its own reasons
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class TextureImageDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TextureImageDecode, TakesThreeOrFourChannelsWithinTheMaximumSide)
{
    const DecodeCase& c = GetParam();
    TextureImage image = TextureImage::decode(c.bytes, c.maxSide);
    ASSERT_EQ(image.usable(), c.channels != 0) << image.problem;
    if (c.channels == 0) {
        EXPECT_EQ(image.problem.rfind(c.problem, 0), 0u) << image.problem;
        EXPECT_EQ(image.data(), nullptr);
        return;
    }
    EXPECT_EQ(image.problem, "");
    EXPECT_EQ(image.channels, c.channels);
}

const std::string kRgb = png(5, 3, 3);

INSTANTIATE_TEST_SUITE_P(
    Files, TextureImageDecode,
    ::testing::Values(
        DecodeCase{"Rgb", kRgb, 16384, 3, ""}, DecodeCase{"Rgba", png(4, 4, 4), 16384, 4, ""},
        DecodeCase{"SidesAtTheMaximum", png(16, 1, 3), 16, 3, ""},
        DecodeCase{"Grey", png(4, 4, 1), 16384, 0, "has 1 channel; a texture needs 3 or 4"},
        DecodeCase{"GreyAlpha", png(4, 4, 2), 16384, 0, "has 2 channels; a texture needs 3 or 4"},
        DecodeCase{"WiderThanTheContextTakes", png(17, 3, 3), 16, 0,
                   "is 17 x 3, more than the context's maximum texture size of 16"},
        DecodeCase{"TallerThanTheContextTakes", png(3, 17, 4), 16, 0,
                   "is 3 x 17, more than the context's maximum texture size of 16"},
        // A few bytes of file must not make the loader ask for gigabytes, whatever the context takes.
        DecodeCase{"HeaderClaimingAGigabyte", pngClaiming(16384, 16384, 4), 16384, 0,
                   "is 16384 x 16384 with 4 channels, more than 256 MiB of pixels"},
        DecodeCase{"Bmp", bmp(3, 2), 16384, 3, ""},
        // stb_image decodes this to a picture of no rows; OpenGL would get a texture without an image.
        DecodeCase{"BmpOfNoRows", bmp(258, 0), 16384, 0, "is 258 x 0: a picture without pixels"},
        DecodeCase{"Text", "not an image\n", 16384, 0, "cannot be decoded: unknown image type"},
        DecodeCase{"Empty", "", 16384, 0, "cannot be decoded: unknown image type"},
        DecodeCase{"TruncatedPicture", kRgb.substr(0, kRgb.size() / 2), 16384, 0, "cannot be decoded: "},
        // A screen and its trailer: stb_image finds no picture and clears its reason.
        DecodeCase{"GifWithoutAPicture", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00\x3B", 14), 16384, 0,
                   "cannot be decoded: stb_image gives no reason"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextureImage, RowsComeBottomRowFirst)
{
    TextureImage image = TextureImage::decode(png(2, 3, 3, 10), 16384);
    ASSERT_TRUE(image.usable());
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 3);
    // The picture's last row (bytes 10 + 12 .. 10 + 17) is the first row decoded.
    std::vector<unsigned char> first(image.data(), image.data() + 6);
    EXPECT_EQ(first, (std::vector<unsigned char>{22, 23, 24, 25, 26, 27}));
}

}
