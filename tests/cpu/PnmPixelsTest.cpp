#include "app/PnmPixels.h"
#include "app/TextureImage.h"
#include "tests/support/FilePrefix.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// `header` and then `count` bytes of pixels.
std::string pnm(const std::string& header, size_t count)
{
    std::string file = header;
    for (size_t i = 0; i < count; ++i) {
        file += static_cast<char>(i * 23 + 5);
    }
    return file;
}

// Comments and gaps of every kind stb_image passes over, and samples of two bytes.
const std::string kCommentedHeader = "P6 # written by hand\r\n3\t# wide\n\v2\f65535\n";
const std::string kCommented = pnm(kCommentedHeader, 3 * 2 * 3 * 2);

struct PnmCase {
    const char* name;
    std::string bytes;
    const char* problem;  // "": decodes
};

void PrintTo(const PnmCase& c, std::ostream* os)
{
    *os << c.name;
}

class PnmPixels : public ::testing::TestWithParam<PnmCase> {};

TEST_P(PnmPixels, PixelsCutOffByTheFileEndAreRefused)
{
    const PnmCase& c = GetParam();
    TextureImage image = TextureImage::decode(c.bytes, 16384);
    EXPECT_EQ(image.usable(), *c.problem == '\0') << image.problem;
    EXPECT_EQ(image.problem, c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PnmPixels,
    ::testing::Values(
        PnmCase{"Rgb", pnm("P6\n2 2\n255\n", 12), ""}, PnmCase{"CommentsAndTwoByteSamples", kCommented, ""},
        // Only what the picture takes is read.
        PnmCase{"BytesAfterThePixels", pnm("P6\n2 2\n255\n", 13), ""},
        PnmCase{"Grey", pnm("P5\n2 2\n255\n", 4), "has 1 channel; a texture needs 3 or 4"},
        // stb_image would hand out a 64 x 64 picture of heap memory.
        PnmCase{"HeaderAlone", "P6\n64 64\n255\n", "has PNM pixels of 12288 bytes, more than the 0 left in the file"},
        PnmCase{"OneByteShort", pnm("P6\n2 2\n255\n", 11), "has PNM pixels of 12 bytes, more than the 11 left in the file"},
        PnmCase{"GreyOneByteShort", pnm("P5\n2 2\n255\n", 3),
                "has PNM pixels of 4 bytes, more than the 3 left in the file"},
        PnmCase{"TwoByteSamplesGivenOne", pnm("P6\n2 2\n256\n", 12),
                "has PNM pixels of 24 bytes, more than the 12 left in the file"},
        // The byte after the maximum value ends it, whatever it is: here the first pixel's red.
        PnmCase{"PixelsRightAfterTheMaximum", pnm("P6\n1 1\n255", 3),
                "has PNM pixels of 3 bytes, more than the 2 left in the file"},
        // stb_image's int would overflow, and its picture's size be a guess.
        PnmCase{"WidthBeyondAnInt", pnm("P6\n4294967297 1\n255\n", 3),
                "has a PNM header number of more than 2147483647"},
        PnmCase{"MaximumValueBeyondAnInt", pnm("P6\n1 1\n99999999999\n", 3),
                "has a PNM header number of more than 2147483647"},
        // A header without pixels claims none: the size check refuses it.
        PnmCase{"NoRows", "P6\n2 0\n255\n", "is 2 x 0: a picture without pixels"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PnmPixels, EveryCutIsRefusedOnceItsHeaderClaimsPixels)
{
    // Up to the byte after the height, the file ends in a number whose last digit stb_image never takes:
    // the header claims no rows.
    const size_t claimsRows = kCommentedHeader.find("2\f") + 2;
    for (size_t length = 0; length <= kCommented.size(); ++length) {
        const std::string problem = checkPrefix(pnmPixelProblem, kCommented, length);
        EXPECT_EQ(problem.empty(), length < claimsRows || length == kCommented.size())
            << "first " << length << " of " << kCommented.size() << " bytes: " << problem;
        TextureImage::decode(kCommented.substr(0, length), 16384);
    }
}

}
