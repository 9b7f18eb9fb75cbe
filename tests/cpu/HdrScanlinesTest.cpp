#include "app/HdrScanlines.h"
#include "app/TextureImage.h"
#include "tests/support/FilePrefix.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// stb_image_write writes run-length scanlines for widths of 8 and more, flat pixels for fewer.
std::string hdr(int width, int height)
{
    std::vector<float> pixels(static_cast<size_t>(width * height * 3));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0.25f * static_cast<float>(i % 5);
    }
    std::string file;
    stbi_write_hdr_to_func(appendBytes, &file, width, height, 3, pixels.data());
    return file;
}

const std::string kRunLength = hdr(8, 2);
// The first scanline begins with 2, 2 and its width, after the header's blank line and size line.
const size_t kScanlines = kRunLength.find("\n\n-Y 2 +X 8\n") + 12;

// A count of 0 before the first scanline's first channel: an empty copy, which stb_image reads past.
std::string withEmptyCopy()
{
    return kRunLength.substr(0, kScanlines + 4) + std::string(1, '\0') + kRunLength.substr(kScanlines + 4);
}

const size_t kSecondScanline = kRunLength.find(std::string("\x02\x02\x00\x08", 4), kScanlines + 4);

// `count` flat pixels, none of which begins as a run-length scanline does.
std::string flatPixels(size_t count)
{
    std::string pixels;
    for (size_t i = 0; i < count; ++i) {
        pixels += std::string{'\x80', static_cast<char>(i * 4), '\x10', '\x81'};
    }
    return pixels;
}

const std::string kFlat = hdr(7, 2);
const size_t kFlatPixels = kFlat.find("\n\n-Y 2 +X 7\n") + 12;

struct HdrCase {
    const char* name;
    std::string bytes;
    const char* problem;  // "": decodes
};

void PrintTo(const HdrCase& c, std::ostream* os)
{
    *os << c.name;
}

class HdrScanlines : public ::testing::TestWithParam<HdrCase> {};

TEST_P(HdrScanlines, PixelsCutOffByTheFileEndAreRefused)
{
    const HdrCase& c = GetParam();
    TextureImage image = TextureImage::decode(c.bytes, 16384);
    EXPECT_EQ(image.usable(), *c.problem == '\0') << image.problem;
    EXPECT_EQ(image.problem, c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HdrScanlines,
    ::testing::Values(
        HdrCase{"RunLength", kRunLength, ""}, HdrCase{"Flat", kFlat, ""},
        HdrCase{"EmptyCopyInAScanline", withEmptyCopy(), ""},
        // stb_image would read zeros for ever, each an empty copy.
        HdrCase{"CutBeforeTheFirstCount", kRunLength.substr(0, kScanlines + 4),
                "has run-length HDR scanlines cut off by the file's end"},
        // stb_image would take the zeros past the end for a flat pixel, and leave the other fifteen unset.
        HdrCase{"CutBetweenScanlines", kRunLength.substr(0, kSecondScanline),
                "has run-length HDR scanlines cut off by the file's end"},
        HdrCase{"CutWithinTheLastScanlinesHeader", kRunLength.substr(0, kSecondScanline + 3),
                "has run-length HDR scanlines cut off by the file's end"},
        // stb_image would leave the pixel to whatever its stack held.
        HdrCase{"FlatCutWithinItsLastPixel", kFlat.substr(0, kFlat.size() - 1),
                "has flat HDR pixels cut off by the file's end"},
        HdrCase{"FlatHeaderAlone", kFlat.substr(0, kFlatPixels), "has flat HDR pixels cut off by the file's end"},
        HdrCase{"FlatWithBytesAfterItsPixels", kFlat + "\x80\x80", ""},
        // A scanline that does not begin as a run-length one is the first pixel of a flat picture.
        HdrCase{"FlatAtARunLengthWidth", kRunLength.substr(0, kScanlines) + flatPixels(16), ""},
        HdrCase{"FlatAtARunLengthWidthCutWithinItsPixels", kRunLength.substr(0, kScanlines) + flatPixels(15),
                "has flat HDR pixels cut off by the file's end"},
        // stb_image then reads the whole picture flat again, from its second pixel on.
        HdrCase{"FlatAfterARunLengthScanline", kRunLength.substr(0, kSecondScanline) + flatPixels(16), ""},
        HdrCase{"FlatAfterARunLengthScanlineForItsOwnRowOnly", kRunLength.substr(0, kSecondScanline) + flatPixels(8),
                "has flat HDR pixels cut off by the file's end"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HdrScanlines, EveryCutWithinFlatPixelsIsRefused)
{
    for (size_t length = 0; length <= kFlat.size(); ++length) {
        const std::string problem = checkPrefix(hdrScanlineProblem, kFlat, length);
        // A cut within the header leaves stb_image no size, or no pixels, to read.
        EXPECT_EQ(problem.empty(), length < kFlatPixels || length == kFlat.size())
            << "first " << length << " of " << kFlat.size() << " bytes: " << problem;
        TextureImage::decode(kFlat.substr(0, length), 16384);
    }
}

TEST(HdrScanlines, NoCutKeepsTheDecoderReading)
{
    ASSERT_EQ(kRunLength.substr(kScanlines, 4), std::string("\x02\x02\x00\x08", 4));
    for (size_t length = 0; length < kRunLength.size(); ++length) {
        const std::string problem = checkPrefix(hdrScanlineProblem, kRunLength, length);
        // A cut within a count's data leaves stb_image zeros to finish the scanline with, one before a
        // count none: whatever the check lets through must come back from the decoder, however read.
        if (problem.empty()) {
            TextureImage::decode(kRunLength.substr(0, length), 16384);
        }
    }
}

}
