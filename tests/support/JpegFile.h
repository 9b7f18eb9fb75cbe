#pragma once

#include <array>
#include <string>
#include <vector>

// A baseline JPEG of `width` x `height` RGB texels, as stb_image_write writes it: one DHT segment of four
// tables between the frame header and the only scan.
std::string writtenJpeg(int width, int height);

// The marker, a two-byte length that counts itself, and `content`.
std::string jpegSegment(unsigned char marker, const std::string& content);

// A Huffman table as a DHT segment holds it: class and id, how many codes of each length from 1 to 16
// bits, and one value for every code.
std::string huffmanTable(unsigned char classAndId, const std::array<unsigned char, 16>& counts);

// `segment` placed right after the start of `jpeg`, before its own segments.
std::string withSegmentFirst(const std::string& jpeg, const std::string& segment);

// `segment` placed after the scan of `jpeg`, before its end of image.
std::string withSegmentAfterTheScan(const std::string& jpeg, const std::string& segment);

// The smallest JPEG with a table of more than 256 codes: a start of image, then a DHT segment of one table
// header that claims 255 codes of 15 bits and 255 of 16 and holds none of their values.
std::string overfullHuffmanJpeg();

// The parts of a progressive JPEG of 8 x 6 texels, three components each of one block, all mid-grey,
// in the order they go in the file. Its scans name tables they do not use, as a progressive file may.
struct ProgressiveJpeg {
    // Start of image and the progressive frame header; every component takes quantization table 0.
    std::string frame;
    // Quantization table 0.
    std::string quantizationTable;
    // DC table 0, of one code: a difference of 0.
    std::string dcTable;
    // The first DC scan of all three components, one bit short; it names AC table 0, not yet defined.
    std::string dcScan;
    // The DC scan's last bit, which needs no table; it names DC table 1, never defined.
    std::string dcRefinement;
    // AC table 0, of one code: end of band.
    std::string acTable;
    // One AC scan of each component.
    std::string acScans;
    std::string end = "\xFF\xD9";

    std::string whole() const
    {
        return frame + quantizationTable + dcTable + dcScan + dcRefinement + acTable + acScans + end;
    }
};

ProgressiveJpeg progressiveJpeg();

// A first DC scan of the progressive JPEG's components of the ids in `components`, one bit short as its
// dcScan is.
std::string firstDcScan(const std::string& components);

// The parts of a sequential JPEG of 8 x 6 texels, `components` components (ids 1 up) each of one block,
// all mid-grey, in the order they go in the file: a scan of each component on its own, as a sequential
// file may have.
struct ScanByScanJpeg {
    // Start of image and the baseline frame header: the first component takes quantization table 0,
    // the others table 1.
    std::string frame;
    std::string lumaTable;
    std::string chromaTable;
    // DC and AC table 0, of one code each: a difference of 0, and end of block.
    std::string huffmanTables;
    std::vector<std::string> scans;
    std::string end = "\xFF\xD9";

    std::string tables() const { return lumaTable + chromaTable + huffmanTables; }

    std::string whole() const
    {
        std::string file = frame + tables();
        for (const std::string& scan : scans) {
            file += scan;
        }
        return file + end;
    }
};

ScanByScanJpeg scanByScanJpeg(int components = 3);
