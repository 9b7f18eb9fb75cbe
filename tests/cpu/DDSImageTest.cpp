#include "effects/DDSImage.h"
#include "tests/support/DDSFile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Outcome = DDSImage::Outcome;

struct ParseCase {
    const char* name;
    std::string bytes;
    Outcome outcome;
    std::vector<size_t> levelSizes;
    bool cut;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr uint32_t kMaxSide = 16384;

class DDSParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DDSParse, TakesTheWholeLevelsTheFileHoldsAndRefusesTheRest)
{
    const ParseCase& c = GetParam();
    DDSImage image = DDSImage::parse(c.bytes, kMaxSide);
    ASSERT_EQ(image.outcome, c.outcome);
    std::vector<size_t> sizes;
    size_t offset = 128;
    for (const DDSImage::Level& level : image.levels) {
        sizes.push_back(level.size);
        EXPECT_EQ(level.offset, offset) << "levels follow each other from byte 128";
        offset += level.size;
        EXPECT_LE(offset, c.bytes.size());
    }
    EXPECT_EQ(sizes, c.levelSizes);
    EXPECT_EQ(image.cut, c.cut);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DDSParse,
    ::testing::Values(
        ParseCase{"ChainOfADxt1Square", ddsFile({8, 8, 32, 4, "DXT1"}, patternBytes(64, 1)), Outcome::Image,
                  {32, 8, 8, 8}, false},
        ParseCase{"Dxt5TakesSixteenBytesABlock", ddsFile({8, 4, 32, 1, "DXT5"}, patternBytes(32, 2)), Outcome::Image,
                  {32}, false},
        ParseCase{"DataEndsInTheSecondLevel", ddsFile({16, 16, 128, 5, "DXT1"}, patternBytes(140, 3)), Outcome::Image,
                  {128}, true},
        ParseCase{"SidesAtTheMaximum", ddsFile({kMaxSide, 4, kMaxSide * 2, 1, "DXT1"}, patternBytes(kMaxSide * 2, 4)),
                  Outcome::Image, {kMaxSide * 2}, false},
        ParseCase{"WiderThanTheContextTakes", ddsFile({kMaxSide + 1, 4, 32776, 1, "DXT1"}, patternBytes(32776, 5)),
                  Outcome::TooLarge, {}, false},
        ParseCase{"TallerThanTheContextTakes", ddsFile({4, kMaxSide + 4, 32776, 1, "DXT1"}, patternBytes(64, 6)),
                  Outcome::TooLarge, {}, false},
        // ((w + 3) / 4)^2 * 16 wraps to 0 in 64 bits: once taken for a level of no bytes.
        ParseCase{"LevelSizeThatWouldOverflow", ddsFile({0xFFFFFFFDu, 0xFFFFFFFDu, 0xFFFFFFFFu, 11, "DXT5"}, ""),
                  Outcome::TooLarge, {}, false},
        ParseCase{"GigabytesPromisedFewBytesHeld", ddsFile({8, 8, 0xFFFFFFFFu, 4, "DXT1"}, patternBytes(56, 7)),
                  Outcome::Image, {32, 8, 8, 8}, false},
        ParseCase{"NoLevels", ddsFile({8, 8, 32, 0, "DXT1"}, patternBytes(32, 8)), Outcome::Image, {}, false},
        ParseCase{"UnknownFourCC", ddsFile({8, 8, 32, 1, "DXT2"}, patternBytes(32, 9)), Outcome::UnknownFormat, {},
                  false},
        ParseCase{"HeaderEndsEarly", ddsFile({8, 8, 32, 1, "DXT1"}, "").substr(0, 100), Outcome::ShortHeader, {},
                  false},
        ParseCase{"WrongMagic", ddsFile({8, 8, 32, 1, "DXT1", "DDS_"}, patternBytes(32, 10)), Outcome::NotDDS, {},
                  false},
        ParseCase{"ShorterThanTheMagic", "DD", Outcome::NotDDS, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DDSParse, ReadsNoMoreThanTheHeaderPromises)
{
    DDSImage one = DDSImage::parse(ddsFile({8, 8, 16, 1, "DXT1"}, patternBytes(64, 1)), kMaxSide);
    EXPECT_EQ(one.dataSize, 16u) << "one level: the linear size";
    DDSImage several = DDSImage::parse(ddsFile({8, 8, 16, 3, "DXT1"}, patternBytes(64, 1)), kMaxSide);
    EXPECT_EQ(several.dataSize, 32u) << "several levels: twice the linear size";
    DDSImage lying = DDSImage::parse(ddsFile({8, 8, 0xFFFFFFFFu, 3, "DXT1"}, patternBytes(40, 1)), kMaxSide);
    EXPECT_EQ(lying.dataSize, 40u) << "no more than the file holds";
}

}
