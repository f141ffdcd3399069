// Rows of palette indices to 24-bit pixels (declared in bmp_rows.h): the
// palette is read once into a table of what each byte of indices gives
// (one pixel for 8 bits, two for 4, eight for 1), so that a byte costs one
// look-up and one copy.
#include <cstring>

#include "bmp_rows.h"

namespace mae::check {

namespace {

// What each possible byte of `kBits`-bit indices draws: its pixels, blue
// green red each, then up to 3 bytes that the next byte's pixels
// overwrite (so that one copy of a whole number of words does); `bad` when
// one of its indices is past the palette.
template <unsigned kBits>
struct ByteTable {
  static constexpr unsigned kPixels = 8 / kBits;
  static constexpr unsigned kOut = kPixels * 3;
  static constexpr unsigned kWide = (kOut + 3) / 4 * 4;
  unsigned char pixels[256][kWide];
  bool bad[256];
};

template <unsigned kBits>
void BuildTable(const RowsInfo& info, const unsigned char* file, std::uint32_t palette_size,
                ByteTable<kBits>* t) {
  using Table = ByteTable<kBits>;
  for (unsigned byte = 0; byte < 256; ++byte) {
    std::memset(t->pixels[byte], 0, Table::kWide);
    t->bad[byte] = false;
    for (unsigned k = 0; k < Table::kPixels; ++k) {
      const unsigned index = (byte >> (8 - kBits * (k + 1))) & ((1u << kBits) - 1);
      if (index >= palette_size) {
        t->bad[byte] = true;
        continue;
      }
      const unsigned char* entry = file + info.palette_at + std::size_t{index} * info.palette_entry;
      std::memcpy(t->pixels[byte] + 3 * k, entry, 3);
    }
  }
}

// The pixels of a row from pixel `x` on, index by index; stops at the
// first index past the palette.
PaletteMiss PixelsFrom(const RowsInfo& info, const unsigned char* file, const unsigned char* in,
                       unsigned char* o, std::uint32_t x) {
  const unsigned per_byte = 8u / info.bits;
  const unsigned low = (1u << info.bits) - 1;
  for (o += std::size_t{x} * 3; x < info.width; ++x, o += 3) {
    const unsigned shift = 8 - info.bits * (x % per_byte + 1);
    const std::uint32_t index = (unsigned{in[x / per_byte]} >> shift) & low;
    if (index >= info.palette_size) {
      return {true, index};
    }
    std::memcpy(o, file + info.palette_at + std::size_t{index} * info.palette_entry, 3);
  }
  return {};
}

template <unsigned kBits>
PaletteMiss Rows(const RowsInfo& info, const unsigned char* file, unsigned char* out) {
  using Table = ByteTable<kBits>;
  Table t;
  BuildTable<kBits>(info, file, info.palette_size, &t);
  const std::uint64_t stride = RowStride(info);
  // Bytes whose pixels are all in the row; all but the last are copied
  // whole words at a time.
  const std::uint32_t whole = info.width / Table::kPixels;
  const std::uint32_t wide = info.width % Table::kPixels != 0 ? whole : whole - 1;
  for (std::uint32_t row = 0; row < info.height; ++row) {
    const unsigned char* in = file + info.offset + stride * row;
    unsigned char* const start = out + OutRow(info, row);
    unsigned char* o = start;
    std::uint32_t i = 0;
    for (; i < wide && !t.bad[in[i]]; ++i, o += Table::kOut) {
      std::memcpy(o, t.pixels[in[i]], Table::kWide);
    }
    if (i == wide && i < whole && !t.bad[in[i]]) {
      std::memcpy(o, t.pixels[in[i]], Table::kOut);
      ++i;
    }
    // The pixels of a byte the row's end cuts, or from the first byte with
    // an index past the palette on, which then says which.
    const PaletteMiss miss = PixelsFrom(info, file, in, start, i * Table::kPixels);
    if (miss.found) {
      return miss;
    }
  }
  return {};
}

}  // namespace

PaletteMiss DecodePaletteRows(const RowsInfo& info, const unsigned char* file, unsigned char* out) {
  switch (info.bits) {
    case 8:
      return Rows<8>(info, file, out);
    case 4:
      return Rows<4>(info, file, out);
    case 1:
      return Rows<1>(info, file, out);
    default:
      return {};
  }
}

}  // namespace mae::check
