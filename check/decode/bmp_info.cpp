// The header fields decoding needs, read from a BMP file of any header
// mae-check knows (declared in bmp_decode.h).
#include <algorithm>

#include "bmp_decode.h"
#include "le_bytes.h"

namespace mae::check {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8Compression = 1;
constexpr std::uint32_t kRle4Compression = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kJpeg = 4;  // RLE24 in an OS/2 file of 24 bits a pixel
constexpr std::uint32_t kPng = 5;
constexpr std::uint32_t kAlphaBitFields = 6;
constexpr std::size_t kFileHeader = 14;

// The palette entries that fit between the palette and the pixels, at
// most `wanted`.
std::uint32_t PaletteRoom(const BmpInfo& info, std::uint32_t wanted, std::uint64_t file_size) {
  const std::uint64_t room = info.offset > info.palette_at
                                 ? (std::min<std::uint64_t>(info.offset, file_size) -
                                    std::min<std::uint64_t>(info.palette_at, file_size)) /
                                       info.palette_entry
                                 : 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, room));
}

// An OS/2 1.x file: 16-bit width and height at 18 and 20, the bit count at
// 24, no compression, and a palette of 3-byte entries, as many as the bits
// allow and the room before the pixels holds.
BmpInfo ReadCoreInfo(const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                     BmpInfo info) {
  info.os2 = true;
  info.width = Le16(bytes + 18);
  info.height = Le16(bytes + 20);
  info.bits = Le16(bytes + 24);
  if (info.width == 0 || info.height == 0 || size < 26) {
    return info;
  }
  info.format = info.bits == 24  ? ImageFormat::kBmp24
                : info.bits == 8 ? ImageFormat::kBmp8
                : info.bits == 4 ? ImageFormat::kBmp4
                : info.bits == 1 ? ImageFormat::kBmp1
                                 : ImageFormat::kUnknown;
  if (info.bits <= 8 && info.format != ImageFormat::kUnknown) {
    info.palette_at = kFileHeader + 12;
    info.palette_entry = 3;
    info.palette_size = PaletteRoom(info, 1u << info.bits, file_size);
  }
  return info;
}

}  // namespace

bool RowsFit(const BmpInfo& info, std::uint64_t file_size) {
  const bool rows = info.format == ImageFormat::kBmp24 || info.format == ImageFormat::kBmp32 ||
                    info.format == ImageFormat::kBmp16 || info.format == ImageFormat::kBmp8 ||
                    info.format == ImageFormat::kBmp4 || info.format == ImageFormat::kBmp1;
  if (!rows || info.height == 0) {
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
  if (size < 26 || bytes[0] != 'B' || bytes[1] != 'M') {
    return info;
  }
  const std::uint32_t info_size = Le32(bytes + 14);
  info.offset = Le32(bytes + 10);
  if (info_size == 12) {
    return ReadCoreInfo(bytes, size, file_size, info);
  }
  // An OS/2 2.x header may stop after any field from 16 bytes on (64 in
  // full); the fields it holds are those of the 40-byte header.
  const std::size_t held = std::min<std::size_t>(size, kFileHeader + std::min(info_size, 40u));
  const auto field = [&](std::size_t at) { return at + 4 <= held ? Le32(bytes + at) : 0u; };
  const auto field16 = [&](std::size_t at) {
    return at + 2 <= held ? Le16(bytes + at) : std::uint16_t{0};
  };
  const auto width = static_cast<std::int32_t>(field(18));
  const auto height = static_cast<std::int32_t>(field(22));
  info.bits = field16(28);
  info.compression = field(30);
  if (info_size < 16 || width <= 0 || height == 0 || height == INT32_MIN ||
      held < kFileHeader + 16) {
    return info;  // a size the comparison refuses in its own words
  }
  info.width = static_cast<std::uint32_t>(width);
  info.top_down = height < 0;
  info.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
  if (info.compression == kJpeg) {
    info.format = info.bits == 24 ? ImageFormat::kRle24 : ImageFormat::kBmpJpeg;
    return info;
  }
  if (info.compression == kPng) {
    info.format = ImageFormat::kBmpPng;
    return info;
  }
  const bool rgb = info.compression == kRgb;
  const bool fields = info.compression == kBitFields || info.compression == kAlphaBitFields;
  if (fields && (info.bits == 16 || info.bits == 32) && size >= 66 && info_size >= 40) {
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
    const std::uint32_t colours_used = field(46);
    const std::uint32_t most = 1u << info.bits;
    const std::uint32_t wanted = colours_used == 0 || colours_used > most ? most : colours_used;
    info.palette_at = static_cast<std::uint32_t>(kFileHeader + info_size);
    info.palette_size = PaletteRoom(info, wanted, file_size);
  }
  return info;
}

}  // namespace mae::check
