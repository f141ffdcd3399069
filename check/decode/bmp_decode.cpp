#include "bmp_decode.h"

#include <algorithm>

#include "bmp_rows.h"

namespace mae::check {

namespace {

// A palette entry into out: blue, green, red.
void PaletteEntry(const BmpInfo& info, const unsigned char* file, std::uint32_t index,
                  unsigned char* out) {
  const unsigned char* entry = file + info.palette_at + std::size_t{index} * info.palette_entry;
  out[0] = entry[0];
  out[1] = entry[1];
  out[2] = entry[2];
}

// The byte offset of output row `row` (counted in file order) in `out`,
// bottom row first.
std::size_t OutRow(const BmpInfo& info, std::uint32_t row) {
  const std::uint32_t bottom_up = info.top_down ? info.height - 1 - row : row;
  return std::size_t{bottom_up} * info.width * 3;
}

// RLE8 and RLE4: runs of one index (RLE4: two alternating) and absolute
// runs, row by row from the bottom, with escapes for the end of a row, the
// end of the picture and a jump. Pixels no run reaches keep index 0; runs
// that go on past the last row are refused.
DecodeFailure DecodeRle(const BmpInfo& info, const unsigned char* file, std::uint64_t file_size,
                        unsigned char* out) {
  if (info.palette_size == 0) {
    return {DecodeFailure::kPaletteIndex, 0, 0};
  }
  // Every pixel starts as colour 0: one row filled, then copied.
  const std::size_t row_bytes = std::size_t{info.width} * 3;
  for (std::uint32_t x = 0; out != nullptr && x < info.width && info.height > 0; ++x) {
    PaletteEntry(info, file, 0, out + std::size_t{x} * 3);
  }
  for (std::uint32_t row = 1; out != nullptr && row < info.height; ++row) {
    std::copy_n(out, row_bytes, out + std::size_t{row} * row_bytes);
  }
  const bool four = info.format == ImageFormat::kRle4;
  std::uint64_t at = info.offset;
  std::uint32_t x = 0, y = 0;
  const auto put = [&](std::uint32_t index) {
    if (index >= info.palette_size) {
      return DecodeFailure{DecodeFailure::kPaletteIndex, index, info.palette_size};
    }
    if (y >= info.height) {
      return DecodeFailure{DecodeFailure::kRunsPast};
    }
    // A run past a row's end is cut there: encoders round odd rows up to
    // an even count of pixels.
    if (x < info.width && out != nullptr) {
      PaletteEntry(info, file, index, out + OutRow(info, y) + std::size_t{x} * 3);
    }
    ++x;
    return DecodeFailure{};
  };
  for (;;) {
    if (at + 2 > file_size) {
      // The data ends: complete only when every row was reached.
      return y >= info.height ? DecodeFailure{} : DecodeFailure{DecodeFailure::kEndsEarly};
    }
    const unsigned count = file[at], value = file[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) {
        const unsigned index = !four ? value : i % 2 == 0 ? value >> 4 : value & 0x0Fu;
        const DecodeFailure f = put(index);
        if (f.kind != DecodeFailure::kNone) {
          return f;
        }
      }
    } else if (value == 0) {  // end of the row
      x = 0;
      ++y;
    } else if (value == 1) {  // end of the picture
      return {};
    } else if (value == 2) {  // a jump right and up
      if (at + 2 > file_size) {
        return {DecodeFailure::kEndsEarly};
      }
      x += file[at];
      y += file[at + 1];
      at += 2;
      if (x > info.width || y > info.height) {
        return {DecodeFailure::kRunsPast};
      }
    } else {  // `value` indices as they stand, padded to a 16-bit boundary
      const std::uint64_t bytes = four ? (value + 1u) / 2 : value;
      if (at + bytes > file_size) {
        return {DecodeFailure::kEndsEarly};
      }
      for (unsigned i = 0; i < value; ++i) {
        const unsigned byte = file[at + (four ? i / 2 : i)];
        const unsigned index = !four ? byte : i % 2 == 0 ? byte >> 4 : byte & 0x0Fu;
        const DecodeFailure f = put(index);
        if (f.kind != DecodeFailure::kNone) {
          return f;
        }
      }
      at += (bytes + 1) / 2 * 2;
    }
  }
}

}  // namespace

DecodeFailure DecodeBmpPixels(const BmpInfo& info, const unsigned char* file,
                              std::uint64_t file_size, unsigned char* out) {
  if (info.format == ImageFormat::kRle8 || info.format == ImageFormat::kRle4) {
    return DecodeRle(info, file, file_size, out);
  }
  if (!RowsFit(info, file_size)) {
    return {DecodeFailure::kPixelsMissing};
  }
  if (out == nullptr) {
    return {};  // rows in place need no pass of their own before drawing
  }
  RowsInfo rows;
  rows.width = info.width;
  rows.height = info.height;
  rows.top_down = info.top_down;
  rows.bits = info.bits;
  rows.offset = info.offset;
  std::copy_n(info.masks, 3, rows.masks);
  rows.palette_at = info.palette_at;
  rows.palette_size = info.palette_size;
  rows.palette_entry = info.palette_entry;
  const PaletteMiss miss = DecodeRows(rows, file, out);
  if (miss.found) {
    return {DecodeFailure::kPaletteIndex, miss.index, info.palette_size};
  }
  return {};
}

std::string DecodeFailureWords(const BmpInfo& info, const DecodeFailure& failure) {
  const std::string what = ImageFormatWords(info.format, info.top_down);
  switch (failure.kind) {
    case DecodeFailure::kPixelsMissing:
      return "is " + what + " that holds less pixel data than its header declares";
    case DecodeFailure::kRunsPast:
      return "is " + what + " whose runs go past the picture";
    case DecodeFailure::kEndsEarly:
      return "is " + what + " whose runs end before the picture does";
    case DecodeFailure::kPaletteIndex:
      return "is " + what + " that uses colour " + std::to_string(failure.index) +
             " of a palette of " + std::to_string(failure.size);
    case DecodeFailure::kNone:
      break;
  }
  return {};
}

}  // namespace mae::check
