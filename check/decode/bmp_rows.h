// Decoding the BMP formats whose rows lie uncompressed in the file: top-down
// 24-bit rows, 32 and 16 bits a pixel, palettes of 8, 4 and 1 bits.
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

// Decodes the rows `info` describes into `out`, as DecodeBmpPixels does;
// with `out` null only checks that the rows are in the file. Allocates
// nothing: its tables are on the stack.
DecodeFailure DecodeBmpRows(const BmpInfo& info, const unsigned char* file, std::uint64_t file_size,
                            unsigned char* out);

}  // namespace mae::check

#endif  // MAE_CHECK_BMP_ROWS_H
