#pragma once

#include <array>
#include <string>

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
    // Start of image, a quantization table and the progressive frame header.
    std::string frame;
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

    std::string whole() const { return frame + dcTable + dcScan + dcRefinement + acTable + acScans + end; }
};

ProgressiveJpeg progressiveJpeg();
