// Decoding the BMP formats whose rows lie uncompressed in the file: top-down
// 24-bit rows, 32 and 16 bits a pixel (bmp_rows.cpp), palettes of 8, 4 and
// 1 bits (bmp_palette_rows.cpp). Apart from the header's reading
// (bmp_decode.h), which hands over where everything lies.
#ifndef MAE_CHECK_BMP_ROWS_H
#define MAE_CHECK_BMP_ROWS_H

#include <cstddef>
#include <cstdint>

namespace mae::check {

// Where an uncompressed BMP's rows, masks and palette lie in the file (the
// fields of the header that decoding them needs, copied by
// DecodeBmpPixels).
struct RowsInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool top_down = false;
  std::uint16_t bits = 0;       // 24, 32, 16, 8, 4 or 1
  std::uint32_t offset = 0;     // of the first row
  std::uint32_t masks[3] = {};  // red, green, blue for 16 and 32 bits
  std::uint32_t palette_at = 0;
  std::uint32_t palette_size = 0;
  std::uint32_t palette_entry = 4;
};

// The byte offset of output row `row` (counted in file order) in the
// decoded pixels, bottom row first.
inline std::size_t OutRow(const RowsInfo& info, std::uint32_t row) {
  const std::uint32_t bottom_up = info.top_down ? info.height - 1 - row : row;
  return std::size_t{bottom_up} * info.width * 3;
}

// The bytes from one row's start to the next's.
inline std::uint64_t RowStride(const RowsInfo& info) {
  return (std::uint64_t{info.width} * info.bits + 31) / 32 * 4;
}

// The first index, in file order, that the palette does not hold.
struct PaletteMiss {
  bool found = false;
  std::uint32_t index = 0;
};

// Decodes the rows of `file` that `info` describes, all of which are in
// it, into `out`: width x height x 3 bytes, blue green red, bottom row
// first. Stops at an index past the palette. Allocates nothing: its tables
// are on the stack.
PaletteMiss DecodeRows(const RowsInfo& info, const unsigned char* file, unsigned char* out);

// The same for 8, 4 and 1 bits a pixel.
PaletteMiss DecodePaletteRows(const RowsInfo& info, const unsigned char* file, unsigned char* out);

}  // namespace mae::check

#endif  // MAE_CHECK_BMP_ROWS_H
