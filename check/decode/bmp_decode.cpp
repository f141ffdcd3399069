#include "bmp_decode.h"

#include <algorithm>

namespace mae::check {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8Compression = 1;
constexpr std::uint32_t kRle4Compression = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;
constexpr std::size_t kFileHeader = 14;

std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The 0-255 value of the bits `mask` picks out of `pixel`: a field of n
// bits widened by repeating its high bits (5 bits: v << 3 | v >> 2; 6 bits:
// v << 2 | v >> 4), as ImageMagick widens them.
unsigned char Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) {
    return 0;
  }
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) {
    ++shift;
  }
  int bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u) != 0) {
    ++bits;
  }
  const std::uint32_t v = (pixel & mask) >> shift;
  if (bits >= 8) {
    return static_cast<unsigned char>(v >> (bits - 8));
  }
  std::uint32_t wide = 0;
  for (int filled = 0; filled < 8; filled += bits) {
    wide = wide << bits | v;
  }
  const int total = (8 + bits - 1) / bits * bits;
  return static_cast<unsigned char>(wide >> (total - 8));
}

// A palette entry into out: blue, green, red.
void PaletteEntry(const BmpInfo& info, const unsigned char* file, std::uint32_t index,
                  unsigned char* out) {
  const unsigned char* entry = file + info.palette_at + std::size_t{index} * 4;
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

DecodeFailure DecodeRows(const BmpInfo& info, const unsigned char* file, std::uint64_t file_size,
                         unsigned char* out) {
  const std::uint64_t row_bits = std::uint64_t{info.width} * info.bits;
  const std::uint64_t stride = (row_bits + 31) / 32 * 4;
  if (!RowsFit(info, file_size)) {
    return {DecodeFailure::kPixelsMissing};
  }
  for (std::uint32_t row = 0; row < info.height; ++row) {
    const unsigned char* in = file + info.offset + stride * row;
    unsigned char* o = out + OutRow(info, row);
    for (std::uint32_t x = 0; x < info.width; ++x, o += 3) {
      if (info.bits == 24) {
        std::copy_n(in + std::size_t{x} * 3, 3, o);
      } else if (info.bits == 32 || info.bits == 16) {
        const std::uint32_t pixel =
            info.bits == 32 ? Le32(in + std::size_t{x} * 4) : Le16(in + std::size_t{x} * 2);
        o[0] = Channel(pixel, info.masks[2]);
        o[1] = Channel(pixel, info.masks[1]);
        o[2] = Channel(pixel, info.masks[0]);
      } else {
        const std::uint32_t per_byte = 8 / info.bits;
        const unsigned byte = in[x / per_byte];
        const unsigned shift = 8 - info.bits * (x % per_byte + 1);
        const std::uint32_t index = (byte >> shift) & ((1u << info.bits) - 1);
        if (index >= info.palette_size) {
          return {DecodeFailure::kPaletteIndex, index, info.palette_size};
        }
        PaletteEntry(info, file, index, o);
      }
    }
  }
  return {};
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
  for (std::uint32_t x = 0; x < info.width && info.height > 0; ++x) {
    PaletteEntry(info, file, 0, out + std::size_t{x} * 3);
  }
  for (std::uint32_t row = 1; row < info.height; ++row) {
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
    if (x < info.width) {
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

bool RowsFit(const BmpInfo& info, std::uint64_t file_size) {
  if (info.format == ImageFormat::kRle8 || info.format == ImageFormat::kRle4 || info.height == 0) {
    return true;
  }
  // Below 2^31 x 32 bits a row and 2^31 rows: no overflow. The last row's
  // padding may be missing, as for 24-bit files.
  const std::uint64_t row_bits = std::uint64_t{info.width} * info.bits;
  const std::uint64_t row_bytes = (row_bits + 7) / 8;
  const std::uint64_t stride = (row_bits + 31) / 32 * 4;
  return info.offset <= file_size &&
         stride * (info.height - 1) + row_bytes <= file_size - info.offset;
}

BmpInfo ReadBmpInfo(const unsigned char* bytes, std::size_t size, std::uint64_t file_size) {
  BmpInfo info;
  if (size < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
    return info;
  }
  const std::uint32_t info_size = Le32(bytes + 14);
  const auto width = static_cast<std::int32_t>(Le32(bytes + 18));
  const auto height = static_cast<std::int32_t>(Le32(bytes + 22));
  info.bits = Le16(bytes + 28);
  info.compression = Le32(bytes + 30);
  info.offset = Le32(bytes + 10);
  if (info_size < 40 || width <= 0 || height == 0 || height == INT32_MIN) {
    return info;  // OS/2, or a size the comparison refuses in its own words
  }
  info.width = static_cast<std::uint32_t>(width);
  info.top_down = height < 0;
  info.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
  const bool rgb = info.compression == kRgb;
  const bool fields = info.compression == kBitFields || info.compression == kAlphaBitFields;
  if (fields && (info.bits == 16 || info.bits == 32) && size >= 66) {
    // The masks follow a 40-byte header, or lie inside a longer one: at
    // byte 54 either way.
    info.masks[0] = Le32(bytes + 54);
    info.masks[1] = Le32(bytes + 58);
    info.masks[2] = Le32(bytes + 62);
    info.format = info.bits == 32 ? ImageFormat::kBmp32 : ImageFormat::kBmp16;
  } else if (rgb && info.bits == 32) {
    info.masks[0] = 0x00FF0000u, info.masks[1] = 0x0000FF00u, info.masks[2] = 0x000000FFu;
    info.format = ImageFormat::kBmp32;
  } else if (rgb && info.bits == 16) {  // 5-5-5
    info.masks[0] = 0x7C00u, info.masks[1] = 0x03E0u, info.masks[2] = 0x001Fu;
    info.format = ImageFormat::kBmp16;
  } else if (rgb && info.bits == 24) {
    info.format = ImageFormat::kBmp24;
  } else if (rgb && (info.bits == 8 || info.bits == 4 || info.bits == 1)) {
    info.format = info.bits == 8   ? ImageFormat::kBmp8
                  : info.bits == 4 ? ImageFormat::kBmp4
                                   : ImageFormat::kBmp1;
  } else if (info.compression == kRle8Compression && info.bits == 8 && !info.top_down) {
    info.format = ImageFormat::kRle8;
  } else if (info.compression == kRle4Compression && info.bits == 4 && !info.top_down) {
    info.format = ImageFormat::kRle4;
  }
  if (info.bits <= 8 && info.format != ImageFormat::kUnknown) {
    // The palette: after the headers (and any masks), up to the pixels,
    // as many entries as the header says (all 2^bits when it says 0).
    const std::uint32_t colours_used = Le32(bytes + 46);
    const std::uint32_t most = 1u << info.bits;
    const std::uint32_t wanted = colours_used == 0 || colours_used > most ? most : colours_used;
    info.palette_at = static_cast<std::uint32_t>(kFileHeader + info_size);
    const std::uint64_t room = info.offset > info.palette_at
                                   ? (std::min<std::uint64_t>(info.offset, file_size) -
                                      std::min<std::uint64_t>(info.palette_at, file_size)) /
                                         4
                                   : 0;
    info.palette_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, room));
  }
  return info;
}

DecodeFailure DecodeBmpPixels(const BmpInfo& info, const unsigned char* file,
                              std::uint64_t file_size, unsigned char* out) {
  if (info.format == ImageFormat::kRle8 || info.format == ImageFormat::kRle4) {
    return DecodeRle(info, file, file_size, out);
  }
  return DecodeRows(info, file, file_size, out);
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
