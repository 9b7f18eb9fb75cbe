#include "app/JpegTables.h"

namespace {

constexpr unsigned char kFill = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kQuantizationTables = 0xDB;
constexpr unsigned char kHuffmanTables = 0xC4;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kAdobe = 0xEE;
// The frame headers stb_image decodes: baseline, extended and progressive.
constexpr unsigned char kBaselineFrame = 0xC0;
constexpr unsigned char kProgressiveFrame = 0xC2;

// A table's class and id byte, then how many codes it has of each length from 1 to 16 bits.
constexpr std::size_t kTableHeader = 17;
constexpr std::size_t kMostCodes = 256;

enum TableClass { kDc = 0, kAc = 1 };
constexpr int kTableIds = 4;
constexpr std::size_t kMostComponents = 4;

// The colour transforms of an Adobe segment under which stb_image makes the picture of all four
// components of a four-component frame; under any other, or none, it leaves out the fourth.
constexpr int kCmyk = 0;
constexpr int kYcck = 2;
constexpr std::size_t kComponentsOfYCbCr = 3;

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

// The segments of one file, in the order stb_image reads them, and the Huffman and quantization
// tables they have defined so far: stb_image decodes with whatever its table memory holds, defined or
// not.
class Walk {
public:
    Walk(const unsigned char* data, std::size_t size) : data(data), size(size) {}

    std::string problem();

private:
    // The tables of a DHT segment whose content starts at `at` and claims `left` bytes. stb_image
    // reads each table's header and values wherever they lie, and only compares the segment's length
    // after building the table, so a table running past the segment is read from the bytes after it.
    // Past the file's end it reads zeros, so counts there add nothing.
    std::string huffmanTables(std::size_t at, std::size_t left)
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
            const int tableClass = data[at] >> 4;
            const int id = data[at] & 15;
            // stb_image refuses any other class or id before reading on.
            if (tableClass <= kAc && id < kTableIds) {
                huffmanDefined[tableClass][id] = true;
            }
            at += kTableHeader + codes;
            left -= kTableHeader + codes;
        }
        return "";
    }

    // The quantization tables of a DQT segment, read as stb_image reads them: like a DHT segment's,
    // wherever they lie. A table of 16-bit values takes twice the bytes.
    void quantizationTables(std::size_t at, std::size_t left)
    {
        while (left > 0 && at < size) {
            const int precision = data[at] >> 4;
            const int id = data[at] & 15;
            // stb_image refuses any other precision or id before reading on.
            if (precision > 1 || id >= kTableIds) {
                return;
            }
            quantizationDefined[id] = true;
            const std::size_t table = 1 + 64 * static_cast<std::size_t>(precision + 1);
            at += table;
            left -= table < left ? table : left;
        }
    }

    // The frame header at `at`, of `length` bytes: each component's id and quantization table. One whose
    // length does not fit its count of components stb_image refuses, and decodes nothing.
    void frame(unsigned char marker, std::size_t at, std::size_t length)
    {
        progressive = marker == kProgressiveFrame;
        components = byteAt(at + 5);
        if (components > kMostComponents || length != 6 + 3 * components) {
            components = 0;
        }
        for (std::size_t i = 0; i < components; ++i) {
            componentIds[i] = byteAt(at + 6 + 3 * i);
            quantizationOf[i] = byteAt(at + 8 + 3 * i);
            decoded[i] = false;
        }
    }

    // The colour transform of an Adobe segment at `at`, of `length` bytes: stb_image takes it from the
    // byte after the tag, version and flags of a segment of at least their twelve bytes.
    void adobe(std::size_t at, std::size_t length)
    {
        static const char tag[] = "Adobe";
        if (length < 12) {
            return;
        }
        for (std::size_t i = 0; i < sizeof tag; ++i) {
            if (byteAt(at + i) != static_cast<unsigned char>(tag[i])) {
                return;
            }
        }
        colourTransform = byteAt(at + 11);
    }

    // The frame's first component of `id`, as stb_image matches a scan's component; `components` where
    // none has it, a scan that stb_image refuses.
    std::size_t componentOf(int id) const
    {
        std::size_t i = 0;
        while (i < components && componentIds[i] != id) {
            ++i;
        }
        return i;
    }

    bool quantizationUndefined(int table) const { return table < kTableIds && !quantizationDefined[table]; }

    bool inThePicture(std::size_t component) const
    {
        return component < kComponentsOfYCbCr || colourTransform == kCmyk || colourTransform == kYcck;
    }

    // A progressive JPEG is dequantized at its end of image, with the tables as they stand then; a
    // sequential one block by block in its scans. At the end of image stb_image makes the picture of
    // whatever its components' blocks hold, in memory it allocated without clearing.
    std::string endOfImage() const
    {
        for (std::size_t i = 0; i < components; ++i) {
            if (progressive && quantizationUndefined(quantizationOf[i])) {
                return "has a progressive JPEG that decodes with quantization table " +
                       std::to_string(quantizationOf[i]) + ", which no segment before its end defines";
            }
            if (!decoded[i] && inThePicture(i)) {
                const std::string component = "component " + std::to_string(i + 1);
                return progressive ? "has a progressive JPEG " + component + " that no first DC scan decodes"
                                   : "has a JPEG " + component + " that no scan decodes";
            }
        }
        return "";
    }

    // The tables that the scan header at `at`, of `length` bytes, decodes its components with, and the
    // components whose every block it sets. A progressive scan of DC coefficients uses only DC tables,
    // and its refinements none; one of AC coefficients only AC tables. A sequential scan sets each block
    // whole; of a progressive file's scans only the first DC scan clears each block, before it sets the
    // block's DC coefficient. A header that stb_image refuses decodes nothing; one cut off by the file's
    // end it reads with zeros, and decodes.
    std::string scan(std::size_t at, std::size_t length)
    {
        const std::size_t scanned = byteAt(at);
        if (length != 4 + 2 * scanned) {
            return "";
        }
        const std::size_t spectrum = at + 1 + 2 * scanned;
        const bool dcScan = byteAt(spectrum) == 0;
        const bool refinement = (byteAt(spectrum + 2) >> 4) != 0;
        const bool usesDc = !progressive || (dcScan && !refinement);
        const bool usesAc = !progressive || !dcScan;
        for (std::size_t i = 0; i < scanned; ++i) {
            const int tables = byteAt(at + 2 + 2 * i);
            if (usesDc && (tables >> 4) < kTableIds && !huffmanDefined[kDc][tables >> 4]) {
                return undefined("DC Huffman table " + std::to_string(tables >> 4));
            }
            if (usesAc && (tables & 15) < kTableIds && !huffmanDefined[kAc][tables & 15]) {
                return undefined("AC Huffman table " + std::to_string(tables & 15));
            }
            const std::size_t component = componentOf(byteAt(at + 1 + 2 * i));
            if (component == components) {
                continue;
            }
            if (!progressive && quantizationUndefined(quantizationOf[component])) {
                return undefined("quantization table " + std::to_string(quantizationOf[component]));
            }
            if (usesDc) {
                decoded[component] = true;
            }
        }
        return "";
    }

    // As stb_image reads the file: zero past its end.
    unsigned char byteAt(std::size_t at) const { return at < size ? data[at] : 0; }

    static std::string undefined(const std::string& table)
    {
        return "has a JPEG scan that decodes with " + table + ", which no segment before it defines";
    }

    const unsigned char* data;
    std::size_t size;
    bool progressive = false;
    bool huffmanDefined[2][kTableIds] = {};
    bool quantizationDefined[kTableIds] = {};
    std::size_t components = 0;
    int componentIds[kMostComponents] = {};
    int quantizationOf[kMostComponents] = {};
    // Sequential: by a scan; progressive: by a first DC scan.
    bool decoded[kMostComponents] = {};
    // As stb_image starts: no Adobe segment.
    int colourTransform = -1;
};

std::string Walk::problem()
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
        if (at < size && data[at] == kEndOfImage) {
            return endOfImage();
        }
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
        std::string problem;
        if (marker == kHuffmanTables) {
            problem = huffmanTables(content, left);
        } else if (marker == kQuantizationTables) {
            quantizationTables(content, left);
        } else if (marker >= kBaselineFrame && marker <= kProgressiveFrame) {
            frame(marker, content, left);
        } else if (marker == kStartOfScan) {
            problem = scan(content, left);
        } else if (marker == kAdobe) {
            adobe(content, left);
        }
        if (!problem.empty()) {
            return problem;
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

}

std::string jpegTableProblem(const unsigned char* data, std::size_t size)
{
    return Walk(data, size).problem();
}
