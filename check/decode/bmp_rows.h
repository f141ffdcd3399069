// Decoding the BMP formats whose rows lie uncompressed in the file: top-down
// 24-bit rows, 32 and 16 bits a pixel (bmp_rows.cpp), palettes of 8, 4 and
// 1 bits (bmp_palette_rows.cpp).
#ifndef MAE_CHECK_BMP_ROWS_H
#define MAE_CHECK_BMP_ROWS_H

#include <cstdint>

#include "bmp_decode.h"

namespace mae::check {

// The byte offset of output row `row` (counted in file order) in the
// decoded pixels, bottom row first.
inline std::size_t OutRow(const BmpInfo& info, std::uint32_t row) {
  const std::uint32_t bottom_up = info.top_down ? info.height - 1 - row : row;
  return std::size_t{bottom_up} * info.width * 3;
}

// The bytes from one row's start to the next's.
inline std::uint64_t RowStride(const BmpInfo& info) {
  return (std::uint64_t{info.width} * info.bits + 31) / 32 * 4;
}

// Decodes the rows `info` describes into `out`, as DecodeBmpPixels does;
// with `out` null only checks that the rows are in the file. Allocates
// nothing: its tables are on the stack.
DecodeFailure DecodeBmpRows(const BmpInfo& info, const unsigned char* file, std::uint64_t file_size,
                            unsigned char* out);

// The rows of palette indices of an 8-, 4- or 1-bit file into `out`, which
// is not null; the rows are in the file.
DecodeFailure DecodePaletteRows(const BmpInfo& info, const unsigned char* file, unsigned char* out);

}  // namespace mae::check

#endif  // MAE_CHECK_BMP_ROWS_H
