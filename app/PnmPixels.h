#pragma once

#include <cstddef>
#include <string>

// stb_image 2.27 reads a binary PNM's pixels into a picture of the size its header claims, and when the
// file holds fewer bytes it copies none and still hands the picture out: a header of thirteen bytes
// makes a texture of 64 x 64 texels of heap memory. Such a file is refused here, before stb_image sees
// it.

// Why the PGM (P5) or PPM (P6) file must not reach stb_image, or "" when it may (or it is neither).
// Reads the header as stb_image does; never reads outside `size` bytes.
std::string pnmPixelProblem(const unsigned char* data, std::size_t size);
