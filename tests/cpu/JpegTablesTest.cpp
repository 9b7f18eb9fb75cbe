#include "app/JpegTables.h"
#include "app/TextureImage.h"
#include "tests/support/FilePrefix.h"
#include "tests/support/JpegFile.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <array>
#include <initializer_list>
#include <string>

namespace {

const std::string kJpeg = writtenJpeg(8, 6);

// Class and id bytes: a DC or an AC table of id 0.
constexpr unsigned char kDc = 0x00;
constexpr unsigned char kAc = 0x10;

// `first` codes of 8 bits and `second` of 9: 255 + 1 fill a prefix code without a gap.
std::string tableSegment(unsigned char classAndId, unsigned char first, unsigned char second)
{
    std::array<unsigned char, 16> counts{};
    counts[7] = first;
    counts[8] = second;
    return jpegSegment(0xC4, huffmanTable(classAndId, counts));
}

// The overfull table's segment alone, without the start of image before it.
const std::string kOverfullSegment = overfullHuffmanJpeg().substr(2);

// Lies in the second table of a segment whose first table is sound.
std::string secondTableOverfull()
{
    std::array<unsigned char, 16> sound{};
    sound[1] = 3;
    std::array<unsigned char, 16> overfull{};
    overfull[14] = 45;
    overfull[15] = 255;
    return jpegSegment(0xC4, huffmanTable(kDc, sound) + huffmanTable(kAc, overfull));
}

// Claims twelve codes, but the segment's length ends five values into them; stb_image would read the
// file's next segment as the rest.
std::string tableRunningPastItsSegment()
{
    std::array<unsigned char, 16> counts{};
    counts[3] = 12;
    return jpegSegment(0xC4, huffmanTable(kDc, counts).substr(0, 17 + 5));
}

// After the JFIF segment, where stb_image passes over stray bytes before the next marker.
std::string withStrayBytesThenSegment(const std::string& segment)
{
    const size_t afterApp0 = 4 + (static_cast<size_t>(static_cast<unsigned char>(kJpeg[4])) << 8 |
                                  static_cast<unsigned char>(kJpeg[5]));
    return kJpeg.substr(0, afterApp0) + std::string("\0\x7F", 2) + segment + kJpeg.substr(afterApp0);
}

size_t segmentLength(const std::string& jpeg, size_t at)
{
    return static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8 | static_cast<unsigned char>(jpeg[at + 3]);
}

// The first segment of `marker` in a file of stb_image_write's, whose segments follow each other.
size_t segmentAt(const std::string& jpeg, unsigned char marker)
{
    size_t at = 2;
    while (static_cast<unsigned char>(jpeg[at + 1]) != marker) {
        at += 2 + segmentLength(jpeg, at);
    }
    return at;
}

const size_t kDht = segmentAt(kJpeg, 0xC4);
const std::string kDhtSegment = kJpeg.substr(kDht, 2 + segmentLength(kJpeg, kDht));
const std::string kJpegWithoutTables = kJpeg.substr(0, kDht) + kJpeg.substr(kDht + kDhtSegment.size());

// The segment's second table, AC table 0, made a second DC table 0, as the fuzzer once did.
std::string acTableRedefinedAsDc()
{
    std::string file = kJpeg;
    file[kDht + 4 + 17 + 12] = '\x00';
    return file;
}

const ProgressiveJpeg kProgressive = progressiveJpeg();
// Without the DC refinement too, whose header cut before its last byte would name DC table 1 for a first
// DC scan: only the quantization table can be at fault at any cut.
const std::string kProgressiveWithoutQuantization = kProgressive.frame + kProgressive.dcTable + kProgressive.dcScan +
                                                    kProgressive.acTable + kProgressive.acScans + kProgressive.end;

// The writer's one DQT segment, before its frame header: table 0 for luma, then table 1 for chroma.
const size_t kDqt = segmentAt(kJpeg, 0xDB);
const std::string kDqtSegment = kJpeg.substr(kDqt, 2 + segmentLength(kJpeg, kDqt));
const std::string kJpegWithoutQuantization = kJpeg.substr(0, kDqt) + kJpeg.substr(kDqt + kDqtSegment.size());

std::string withoutQuantizationButAt(size_t at, const std::string& segment)
{
    return kJpegWithoutQuantization.substr(0, at) + segment + kJpegWithoutQuantization.substr(at);
}

// The second table's id, after the segment's marker and length and the first table.
std::string chromaTableRedefinedAsLuma()
{
    std::string file = kJpeg;
    file[kDqt + 4 + 65] = '\x00';
    return file;
}

// Between the frame header and the scan, where tables may also go.
std::string quantizationTablesAfterTheFrame()
{
    return withoutQuantizationButAt(segmentAt(kJpegWithoutQuantization, 0xC4), kDqtSegment);
}

// The luma table's values in two bytes each: 129 bytes, after which the chroma table must still be found.
std::string withSixteenBitLumaTable()
{
    std::string luma(1, '\x10');
    for (size_t i = 0; i < 64; ++i) {
        luma += std::string(1, '\0') + kDqtSegment[5 + i];
    }
    return withoutQuantizationButAt(kDqt, jpegSegment(0xDB, luma + kDqtSegment.substr(4 + 65)));
}

const ScanByScanJpeg kScanByScan = scanByScanJpeg();
const std::string kChromaTableAfterTheSecondScan = kScanByScan.frame + kScanByScan.lumaTable +
                                                   kScanByScan.huffmanTables + kScanByScan.scans[0] +
                                                   kScanByScan.scans[1] + kScanByScan.chromaTable +
                                                   kScanByScan.scans[2] + kScanByScan.end;

// The scan-by-scan JPEG with only the scans of the components of `ids`, in that order.
std::string withScansOf(const ScanByScanJpeg& jpeg, std::initializer_list<int> ids)
{
    std::string file = jpeg.frame + jpeg.tables();
    for (int id : ids) {
        file += jpeg.scans[static_cast<size_t>(id - 1)];
    }
    return file + jpeg.end;
}

const std::string kOnlyTheFirstComponentScanned = withScansOf(kScanByScan, {1});

// The frame's third component given the second's id, 2, and the second component scanned twice: a scan
// decodes the frame's first component of its id.
std::string thirdComponentOfTheSecondsId()
{
    ScanByScanJpeg jpeg = kScanByScan;
    // After the start of image, the segment's marker and length, and the header's six bytes before its
    // components' ids, sampling factors and tables.
    jpeg.frame[2 + 4 + 6 + 2 * 3] = '\x02';
    return withScansOf(jpeg, {1, 2, 2});
}

const ScanByScanJpeg kFourComponents = scanByScanJpeg(4);

// The colour transforms an Adobe segment names.
constexpr char kCmyk = 0;
constexpr char kYCbCr = 1;
constexpr char kYcck = 2;

// Its tag, version and two flags, then the transform.
std::string adobeSegment(char transform)
{
    return jpegSegment(0xEE, std::string("Adobe\0\x64\0\0\0\0", 11) + transform);
}

struct JpegCase {
    const char* name;
    std::string bytes;
    const char* problem;  // "": decodes
};

void PrintTo(const JpegCase& c, std::ostream* os)
{
    *os << c.name;
}

class JpegTables : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegTables, WhatStbImageWouldMisuseIsRefusedAndTheRestDecode)
{
    const JpegCase& c = GetParam();
    TextureImage image = TextureImage::decode(c.bytes, 16384);
    if (*c.problem != '\0') {
        EXPECT_FALSE(image.usable());
        EXPECT_EQ(image.problem, c.problem);
        return;
    }
    ASSERT_TRUE(image.usable()) << image.problem;
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.height, 6);
    EXPECT_EQ(image.channels, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Files, JpegTables,
    ::testing::Values(
        JpegCase{"WrittenByStbImageWrite", kJpeg, ""},
        // The file's own AC table of id 0 comes later and replaces this one.
        JpegCase{"TableOf256Codes", withSegmentFirst(kJpeg, tableSegment(kAc, 255, 1)), ""},
        JpegCase{"TableOf257Codes", withSegmentFirst(kJpeg, tableSegment(kAc, 255, 2)),
                 "has a JPEG Huffman table of 257 codes, more than 256"},
        JpegCase{"SmallestOverfullTable", overfullHuffmanJpeg(), "has a JPEG Huffman table of 510 codes, more than 256"},
        // stb_image reads zeros for the rest of the header: 255 codes of 1 bit and 255 of 2.
        JpegCase{"CountsCutOffByTheFileEnd", std::string("\xFF\xD8\xFF\xC4\x00\x13\x00\xFF\xFF", 9),
                 "has a JPEG Huffman table of 510 codes, more than 256"},
        JpegCase{"SecondTableOfASegment", withSegmentFirst(kJpeg, secondTableOverfull()),
                 "has a JPEG Huffman table of 300 codes, more than 256"},
        // stbi_info_from_memory stops at the frame header; the whole load reads on past the scan.
        JpegCase{"TableAfterTheScan", withSegmentAfterTheScan(kJpeg, kOverfullSegment),
                 "has a JPEG Huffman table of 510 codes, more than 256"},
        JpegCase{"TableRunningPastItsSegment", withSegmentFirst(kJpeg, tableRunningPastItsSegment()),
                 "has a JPEG Huffman table of 12 codes that runs past the end of its segment"},
        // stb_image takes fill bytes before the start of image, and stray bytes between segments.
        JpegCase{"FillBeforeTheStart", "\xFF\xFF" + overfullHuffmanJpeg().substr(1),
                 "has a JPEG Huffman table of 510 codes, more than 256"},
        JpegCase{"StrayBytesBeforeTheTable", withStrayBytesThenSegment(kOverfullSegment),
                 "has a JPEG Huffman table of 510 codes, more than 256"},
        // The table's bytes are the content of another segment, which nothing reads as a table.
        JpegCase{"TableBytesInsideAnApplicationSegment",
                 withSegmentFirst(kJpeg, jpegSegment(0xE1, overfullHuffmanJpeg())), ""},
        // stb_image would decode with table memory it never set, and index far outside the table.
        JpegCase{"ScanWithoutTables", kJpegWithoutTables,
                 "has a JPEG scan that decodes with DC Huffman table 0, which no segment before it defines"},
        JpegCase{"TablesOnlyAfterTheScan", withSegmentAfterTheScan(kJpegWithoutTables, kDhtSegment),
                 "has a JPEG scan that decodes with DC Huffman table 0, which no segment before it defines"},
        JpegCase{"AcTableRedefinedAsDc", acTableRedefinedAsDc(),
                 "has a JPEG scan that decodes with AC Huffman table 0, which no segment before it defines"},
        JpegCase{"Progressive", kProgressive.whole(), ""},
        JpegCase{"ProgressiveAcScansBeforeTheirTable",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.dcTable + kProgressive.dcScan +
                     kProgressive.dcRefinement + kProgressive.acScans + kProgressive.acTable + kProgressive.end,
                 "has a JPEG scan that decodes with AC Huffman table 0, which no segment before it defines"},
        JpegCase{"ProgressiveWithoutItsDcTable",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.dcScan +
                     kProgressive.dcRefinement + kProgressive.acTable + kProgressive.acScans + kProgressive.end,
                 "has a JPEG scan that decodes with DC Huffman table 0, which no segment before it defines"},
        // stb_image would dequantize with table memory it never set: the picture would be of that memory.
        JpegCase{"WithoutQuantizationTables", kJpegWithoutQuantization,
                 "has a JPEG scan that decodes with quantization table 0, which no segment before it defines"},
        JpegCase{"QuantizationTablesOnlyAfterTheScan", withSegmentAfterTheScan(kJpegWithoutQuantization, kDqtSegment),
                 "has a JPEG scan that decodes with quantization table 0, which no segment before it defines"},
        JpegCase{"ChromaTableRedefinedAsLuma", chromaTableRedefinedAsLuma(),
                 "has a JPEG scan that decodes with quantization table 1, which no segment before it defines"},
        JpegCase{"QuantizationTablesAfterTheFrame", quantizationTablesAfterTheFrame(), ""},
        JpegCase{"SixteenBitLumaTable", withSixteenBitLumaTable(), ""},
        JpegCase{"ScanByScan", kScanByScan.whole(), ""},
        // Each scan dequantizes with the tables of its own components.
        JpegCase{"ChromaTableBetweenScans",
                 kScanByScan.frame + kScanByScan.lumaTable + kScanByScan.huffmanTables + kScanByScan.scans[0] +
                     kScanByScan.chromaTable + kScanByScan.scans[1] + kScanByScan.scans[2] + kScanByScan.end,
                 ""},
        JpegCase{"ChromaTableAfterAScanThatUsesIt", kChromaTableAfterTheSecondScan,
                 "has a JPEG scan that decodes with quantization table 1, which no segment before it defines"},
        // A progressive JPEG dequantizes once, at its end.
        JpegCase{"ProgressiveQuantizationTableAfterItsScans",
                 kProgressive.frame + kProgressive.dcTable + kProgressive.dcScan + kProgressive.dcRefinement +
                     kProgressive.acTable + kProgressive.acScans + kProgressive.quantizationTable + kProgressive.end,
                 ""},
        JpegCase{"ProgressiveWithoutQuantizationTable", kProgressiveWithoutQuantization,
                 "has a progressive JPEG that decodes with quantization table 0, which no segment before its end "
                 "defines"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Components, JpegTables,
    ::testing::Values(
        // stb_image would hand out the picture of each unscanned component's memory, never written.
        JpegCase{"OnlyTheFirstComponentScanned", kOnlyTheFirstComponentScanned,
                 "has a JPEG component 2 that no scan decodes"},
        JpegCase{"SecondComponentNeverScanned", withScansOf(kScanByScan, {1, 3}),
                 "has a JPEG component 2 that no scan decodes"},
        JpegCase{"FrameWithoutScans", kScanByScan.frame + kScanByScan.end,
                 "has a JPEG component 1 that no scan decodes"},
        JpegCase{"ThirdComponentOfTheSecondsId", thirdComponentOfTheSecondsId(),
                 "has a JPEG component 3 that no scan decodes"},
        // Refused for its channel count, after this walk.
        JpegCase{"Grey", scanByScanJpeg(1).whole(), "has 1 channel; a texture needs 3 or 4"},
        JpegCase{"Cmyk", withSegmentFirst(kFourComponents.whole(), adobeSegment(kCmyk)), ""},
        // stb_image leaves a fourth component out of the picture unless it is CMYK or YCCK.
        JpegCase{"FourthComponentNeverScanned", withScansOf(kFourComponents, {1, 2, 3}), ""},
        JpegCase{"YCbCrFourthComponentNeverScanned",
                 withSegmentFirst(withScansOf(kFourComponents, {1, 2, 3}), adobeSegment(kYCbCr)), ""},
        JpegCase{"CmykFourthComponentNeverScanned",
                 withSegmentFirst(withScansOf(kFourComponents, {1, 2, 3}), adobeSegment(kCmyk)),
                 "has a JPEG component 4 that no scan decodes"},
        // stb_image takes the transform of the last Adobe segment before the end of image.
        JpegCase{"YCbCrReplacedByYcckAfterTheScans",
                 withSegmentAfterTheScan(
                     withSegmentFirst(withScansOf(kFourComponents, {1, 2, 3}), adobeSegment(kYCbCr)),
                     adobeSegment(kYcck)),
                 "has a JPEG component 4 that no scan decodes"},
        // Only a progressive file's first DC scan sets every coefficient of its blocks.
        JpegCase{"ProgressiveWithoutDcScans",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.acTable + kProgressive.acScans +
                     kProgressive.end,
                 "has a progressive JPEG component 1 that no first DC scan decodes"},
        JpegCase{"ProgressiveSecondComponentOnlyRefined",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.dcTable +
                     firstDcScan("\x01\x03") + kProgressive.dcRefinement + kProgressive.acTable +
                     kProgressive.acScans + kProgressive.end,
                 "has a progressive JPEG component 2 that no first DC scan decodes"},
        JpegCase{"ProgressiveDcScanByScan",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.dcTable + firstDcScan("\x01") +
                     firstDcScan("\x02") + firstDcScan("\x03") + kProgressive.dcRefinement + kProgressive.acTable +
                     kProgressive.acScans + kProgressive.end,
                 ""},
        // The first DC scan clears what the AC scans before it set.
        JpegCase{"ProgressiveDcScanAfterTheAcScans",
                 kProgressive.frame + kProgressive.quantizationTable + kProgressive.acTable + kProgressive.acScans +
                     kProgressive.dcTable + kProgressive.dcScan + kProgressive.dcRefinement + kProgressive.end,
                 ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegTables, RefusedBeforeStbImageSeesTheFile)
{
    // Any stb_image call on the overfull file fails and leaves "unknown image type" as its reason.
    const std::string png = "\x89PNG\r\n\x1a\n";
    int x = 0;
    int y = 0;
    int channels = 0;
    ASSERT_EQ(stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()), static_cast<int>(png.size()), &x,
                                    &y, &channels, 0),
              nullptr);
    const std::string earlier = stbi_failure_reason();
    ASSERT_NE(earlier, "unknown image type");

    EXPECT_FALSE(TextureImage::decode(overfullHuffmanJpeg(), 16384).usable());

    EXPECT_EQ(stbi_failure_reason(), earlier);
}

std::string problemOfPrefix(const std::string& file, size_t length)
{
    return checkPrefix(jpegTableProblem, file, length);
}

TEST(JpegTables, EveryCutOfASoundFilePasses)
{
    for (const std::string& file :
         {kJpeg, withSegmentFirst(kJpeg, tableSegment(kAc, 255, 1)), kScanByScan.whole()}) {
        for (size_t length = 0; length <= file.size(); ++length) {
            EXPECT_EQ(problemOfPrefix(file, length), "") << "first " << length << " of " << file.size() << " bytes";
        }
    }
}

TEST(JpegTables, ACutFileIsRefusedOnceItHoldsTheCountThatOverfillsATable)
{
    // A segment long enough for all 510 values, so that only the count of codes can be at fault.
    std::array<unsigned char, 16> counts{};
    counts[14] = 255;
    counts[15] = 255;
    const std::string file = withSegmentAfterTheScan(kJpeg, jpegSegment(0xC4, huffmanTable(kDc, counts)));
    // Marker, length and class come first; the last of the sixteen counts holds the second 255.
    const size_t lastCount = kJpeg.size() - 2 + 4 + 16;
    for (size_t length = 0; length <= file.size(); ++length) {
        EXPECT_EQ(problemOfPrefix(file, length),
                  length > lastCount ? "has a JPEG Huffman table of 510 codes, more than 256" : "")
            << "first " << length << " of " << file.size() << " bytes";
        // Whatever is left to stb_image must not bring it down.
        TextureImage::decode(file.substr(0, length), 16384);
    }
}

// Where the first component id of the file's `nth` scan header lies.
size_t scanComponentAt(const std::string& jpeg, int nth)
{
    size_t at = jpeg.find("\xFF\xDA");
    for (int i = 0; i < nth; ++i) {
        at = jpeg.find("\xFF\xDA", at + 2);
    }
    return at + 5;
}

struct CutCase {
    const char* name;
    std::string file;
    size_t refusedFrom;  // the shortest cut that is refused
    const char* problem;
};

TEST(JpegTables, ACutFileIsRefusedOnceItHoldsWhatLeavesThePictureUnset)
{
    const CutCase cases[] = {
        // The scan's first component, named by its id, takes the missing table.
        {"WithoutQuantizationTables", kJpegWithoutQuantization, scanComponentAt(kJpegWithoutQuantization, 0) + 1,
         "has a JPEG scan that decodes with quantization table 0, which no segment before it defines"},
        {"ChromaTableAfterAScanThatUsesIt", kChromaTableAfterTheSecondScan,
         scanComponentAt(kChromaTableAfterTheSecondScan, 1) + 1,
         "has a JPEG scan that decodes with quantization table 1, which no segment before it defines"},
        // Without its end of image stb_image fails before it dequantizes.
        {"ProgressiveWithoutQuantizationTable", kProgressiveWithoutQuantization, kProgressiveWithoutQuantization.size(),
         "has a progressive JPEG that decodes with quantization table 0, which no segment before its end defines"},
        // A later scan could still decode the component, up to the end of image.
        {"OnlyTheFirstComponentScanned", kOnlyTheFirstComponentScanned, kOnlyTheFirstComponentScanned.size(),
         "has a JPEG component 2 that no scan decodes"},
    };
    for (const CutCase& c : cases) {
        for (size_t length = 0; length <= c.file.size(); ++length) {
            EXPECT_EQ(problemOfPrefix(c.file, length), length >= c.refusedFrom ? c.problem : "")
                << c.name << ": first " << length << " of " << c.file.size() << " bytes";
            TextureImage::decode(c.file.substr(0, length), 16384);
        }
    }
}

}
