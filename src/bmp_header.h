// Checking a BMP header against the size of its file: a pure function of
// bytes, so that tests and fuzzers call it without any file.
//
// The fields used are the pixel-block offset (byte 10), the width (18), the
// height (22) and the bits per pixel (28), all little-endian. The rows of the
// pixel block are found by the file's size:
//   row    = width x (bits per pixel / 8, rounded down) bytes
//   stride = row rounded up to a multiple of 4
//   padded rows when stride > row and the file holds every row at its padded
//     place: offset + stride x (height - 1) + row <= file size (the last
//     row's padding may be missing); row r is then at offset + r x stride.
//     This is how every standard BMP file is laid out.
//   packed rows otherwise, when offset + row x height <= file size: the
//     layout BmpReader::WriteBMP writes, one row straight after the other.
//   otherwise the file holds less pixel data than its header declares.
#ifndef MAE_BMP_HEADER_H
#define MAE_BMP_HEADER_H

#include <cstddef>
#include <cstdint>

#include "status.h"

// The header fields a reader needs end at byte 30 (bits per pixel, 28-29).
constexpr std::size_t kBmpFieldsEnd = 30;

// The images compared: 24 bits, 3 bytes (blue, green, red) to a pixel.
constexpr std::uint16_t kComparedBitCount = 24;
constexpr std::size_t kComparedPixelBytes = kComparedBitCount / 8;

struct BmpHeader {
  bool signature = false;  // the file starts with "BM"
  std::uint32_t offset = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bit_count = 0;
  std::uint16_t bytes_per_pixel = 0;  // bit_count / 8, rounded down
  // Set only when the header is accepted:
  std::uint64_t row_bytes = 0;   // width x bytes_per_pixel
  std::uint64_t stride = 0;      // from one row's start to the next in the file
  std::uint64_t block_size = 0;  // row_bytes x height: the pixels without padding
  bool padded() const { return stride != row_bytes; }
};

// Checks the first `size` bytes of a file of `file_size` bytes (`size` is at
// least kBmpFieldsEnd, or all of a shorter file). Returns kOk, kTooShort,
// kTopDown, kTooWide, kPixelsMissing or kNotBmp (in place of the three
// before it for a file without the "BM" signature). Unless the file is too
// short, the fields are stored in *header whatever the verdict; the layout
// only on kOk. Every size is computed without overflow.
BmpStatus ParseBmpHeader(const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                         BmpHeader* header);

// a x b and a + b, or false when the result does not fit in 64 bits.
bool CheckedMul(std::uint64_t a, std::uint64_t b, std::uint64_t* result);
bool CheckedAdd(std::uint64_t a, std::uint64_t b, std::uint64_t* result);

#endif  // MAE_BMP_HEADER_H
