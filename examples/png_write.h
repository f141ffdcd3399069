// A minimal PNG writer for the samples: 8-bit RGB, not interlaced, the
// pixel data in zlib stored (uncompressed) deflate blocks, with the CRC-32
// and Adler-32 computed here, so that the generator needs no library.
#ifndef MAE_EXAMPLES_PNG_WRITE_H
#define MAE_EXAMPLES_PNG_WRITE_H

#include <cstdint>

#include "testkit/bmp_bytes.h"

namespace examples {

// The PNG file of a width x height picture whose `rgb` bytes hold the top
// row first, each pixel as red, green, blue. Throws std::length_error when
// the sizes do not match or do not fit a PNG file.
bmptest::Bytes MakePng(std::uint32_t width, std::uint32_t height, const bmptest::Bytes& rgb);

}  // namespace examples

#endif  // MAE_EXAMPLES_PNG_WRITE_H
