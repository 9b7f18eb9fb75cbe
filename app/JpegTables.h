#pragma once

#include <cstddef>
#include <string>

// stb_image 2.27 trusts a JPEG's Huffman tables: it copies a table's values into a 256-entry array, and
// its code lengths into one of 257, without checking the counts the file gives, so a table claiming more
// than 256 codes writes past both; and it decodes a scan with tables no segment defined, from memory it
// never set, whose garbage indexes far outside the table. It dequantizes, too, with a quantization table
// no segment defined, so that the picture is made of memory it never set; and it makes the picture of a
// component that no scan decoded (of a progressive file, no first DC scan) from the memory it allocated
// for it and never wrote. These tables, and the components the scans decode, are looked over here, before
// stb_image sees the file.

// Why the file's Huffman or quantization tables, or a component that its scans leave undecoded, must not
// reach stb_image, or "" when they may (or it is no JPEG). Components are counted from 1 in the frame
// header's order. Walks the file's marker segments as stb_image reads them: through every segment, and
// through each scan's entropy-coded data to the segments that follow it, up to the end of image or the
// first marker stb_image refuses. Never reads outside `size` bytes.
std::string jpegTableProblem(const unsigned char* data, std::size_t size);
