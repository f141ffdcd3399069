// Uncompressed BMP rows to 24-bit pixels (declared in bmp_rows.h). Nothing
// here works a pixel's value out bit by bit: 24-bit rows and 32-bit pixels
// with the usual masks are copied, other 16- and 32-bit pixels are looked
// up byte by byte in tables built once a file, so that decoding runs at
// about the speed of copying the bytes. Palettes: bmp_palette_rows.cpp.
#include "bmp_rows.h"

#include <cstring>

#include "le_bytes.h"

namespace mae::check {

namespace {

// Where a mask's field lies: its lowest set bit, and how many set bits run
// on from there (a mask with gaps keeps its higher bits above the field).
struct Field {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

Field FieldOf(std::uint32_t mask) {
  Field f{mask, 0, 0};
  if (mask == 0) {
    return f;
  }
  while (((mask >> f.shift) & 1u) == 0) {
    ++f.shift;
  }
  while (f.shift + f.bits < 32 && ((mask >> (f.shift + f.bits)) & 1u) != 0) {
    ++f.bits;
  }
  return f;
}

// The 0-255 value of the bits `field` picks out of `pixel`: a field of n
// bits widened by repeating its high bits (5 bits: v << 3 | v >> 2; 6 bits:
// v << 2 | v >> 4), as ImageMagick widens them; a wider field keeps its
// top 8 bits.
std::uint32_t Channel(std::uint32_t pixel, const Field& field) {
  if (field.mask == 0) {
    return 0;
  }
  const std::uint32_t v = (pixel & field.mask) >> field.shift;
  if (field.bits >= 8) {
    return (v >> (field.bits - 8)) & 0xFFu;
  }
  std::uint32_t wide = 0;
  for (int filled = 0; filled < 8; filled += field.bits) {
    wide = wide << field.bits | v;
  }
  const int total = (8 + field.bits - 1) / field.bits * field.bits;
  return (wide >> (total - 8)) & 0xFFu;
}

// What each byte of a 16- or 32-bit pixel gives the three channels, packed
// blue | green << 8 | red << 16. Every step of Channel (and, shifts, or,
// keeping 8 bits) keeps a bitwise or: Channel(a | b) is Channel(a) |
// Channel(b). So a pixel's channels are the or of what its bytes give
// apart, whatever the masks, exactly as Channel gives them for the whole
// pixel.
struct PixelTables {
  std::uint32_t byte[4][256];
};

void BuildTables(const RowsInfo& info, int bytes, PixelTables* tables) {
  const Field red = FieldOf(info.masks[0]);
  const Field green = FieldOf(info.masks[1]);
  const Field blue = FieldOf(info.masks[2]);
  for (int i = 0; i < bytes; ++i) {
    for (std::uint32_t x = 0; x < 256; ++x) {
      const std::uint32_t pixel = x << (8 * i);
      tables->byte[i][x] =
          Channel(pixel, blue) | Channel(pixel, green) << 8 | Channel(pixel, red) << 16;
    }
  }
}

inline void Put(std::uint32_t bgr, unsigned char* o) {
  o[0] = static_cast<unsigned char>(bgr);
  o[1] = static_cast<unsigned char>(bgr >> 8);
  o[2] = static_cast<unsigned char>(bgr >> 16);
}

// Eight and four bytes, least significant first: one load or store each
// where the machine's byte order is that.
inline std::uint64_t Le64(const unsigned char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::uint64_t v = 0;
  std::memcpy(&v, p, 8);
  return v;
#else
  return std::uint64_t{Le32(p)} | std::uint64_t{Le32(p + 4)} << 32;
#endif
}

template <int kBytes>
inline void PutLe(std::uint64_t v, unsigned char* o) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(o, &v, kBytes);
#else
  for (int i = 0; i < kBytes; ++i) {
    o[i] = static_cast<unsigned char>(v >> (8 * i));
  }
#endif
}

// Four bytes, the last of which the next pixel overwrites: one store
// instead of three.
inline void Put4(std::uint32_t bgr, unsigned char* o) {
  PutLe<4>(bgr, o);
}

// Red, green and blue each a whole byte, in the order 24-bit pixels have
// them: the first three bytes of each pixel, four pixels (16 bytes in, 12
// out) at a time.
void Row32Plain(const unsigned char* in, unsigned char* o, std::uint32_t width) {
  std::uint32_t x = 0;
  for (; x + 4 <= width; x += 4, in += 16, o += 12) {
    const std::uint64_t a = Le64(in);
    const std::uint64_t b = Le64(in + 8);
    PutLe<8>((a & 0xFFFFFFu) | (a >> 32 & 0xFFFFFFu) << 24 | (b & 0xFFFFu) << 48, o);
    PutLe<4>((b >> 16 & 0xFFu) | (b >> 32 & 0xFFFFFFu) << 8, o + 8);
  }
  for (; x < width; ++x, in += 4, o += 3) {
    o[0] = in[0];
    o[1] = in[1];
    o[2] = in[2];
  }
}

void Row32(const PixelTables& t, const unsigned char* in, unsigned char* o, std::uint32_t width) {
  for (std::uint32_t x = 0; x + 1 < width; ++x, in += 4, o += 3) {
    Put4(t.byte[0][in[0]] | t.byte[1][in[1]] | t.byte[2][in[2]] | t.byte[3][in[3]], o);
  }
  Put(t.byte[0][in[0]] | t.byte[1][in[1]] | t.byte[2][in[2]] | t.byte[3][in[3]], o);
}

void Row16(const PixelTables& t, const unsigned char* in, unsigned char* o, std::uint32_t width) {
  for (std::uint32_t x = 0; x + 1 < width; ++x, in += 2, o += 3) {
    Put4(t.byte[0][in[0]] | t.byte[1][in[1]], o);
  }
  Put(t.byte[0][in[0]] | t.byte[1][in[1]], o);
}

bool PlainMasks(const RowsInfo& info) {
  return info.bits == 32 && info.masks[0] == 0x00FF0000u && info.masks[1] == 0x0000FF00u &&
         info.masks[2] == 0x000000FFu;
}

}  // namespace

PaletteMiss DecodeRows(const RowsInfo& info, const unsigned char* file, unsigned char* out) {
  if (info.width == 0) {
    return {};
  }
  if (info.bits <= 8) {
    return DecodePaletteRows(info, file, out);
  }
  const std::uint64_t stride = RowStride(info);
  const bool plain = PlainMasks(info);
  PixelTables tables;
  if (!plain && (info.bits == 32 || info.bits == 16)) {
    BuildTables(info, info.bits / 8, &tables);
  }
  for (std::uint32_t row = 0; row < info.height; ++row) {
    const unsigned char* in = file + info.offset + stride * row;
    unsigned char* o = out + OutRow(info, row);
    if (info.bits == 24) {
      std::memcpy(o, in, std::size_t{info.width} * 3);
    } else if (plain) {
      Row32Plain(in, o, info.width);
    } else if (info.bits == 32) {
      Row32(tables, in, o, info.width);
    } else if (info.bits == 16) {
      Row16(tables, in, o, info.width);
    }
  }
  return {};
}

}  // namespace mae::check
