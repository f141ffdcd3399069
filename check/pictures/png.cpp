#include "png.h"

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "bmp_header.h"
#include "png_filter.h"

namespace mae::check {

namespace {

constexpr std::uint8_t kTruecolor = 2;
constexpr std::uint8_t kIndexed = 3;
// Fast over small: these pictures are looked at, not archived. With the
// filter chosen per picture, level 1 makes smaller files than level 2 with
// Up for every picture did (9.8 MB against 10.3 MB for twenty photographs
// and edge pictures of 1024 x 1024), and in four fifths of the time. A
// class's pages, written once and kept, take level 3.
constexpr int kFastLevel = 1;
constexpr int kSmallLevel = 3;
// A difference picture's palette indices run long and repeat: for kept
// pages a higher level finds more of those runs at a small cost.
constexpr int kSmallDiffLevel = 6;

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const noexcept { libdeflate_free_compressor(c); }
};

void PutBe32(std::string* out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

// One chunk: its length, type, data and the CRC-32 of type and data.
void Chunk(std::string* png, const char type[4], const void* data, std::size_t size) {
  PutBe32(png, static_cast<std::uint32_t>(size));
  const std::size_t start = png->size();
  png->append(type, 4);
  png->append(static_cast<const char*>(data), size);
  PutBe32(png, libdeflate_crc32(0, png->data() + start, size + 4));
}

// Rows as PNG stores them before compression: each a filter-type byte,
// then its bytes. Left uninitialised: every byte is written.
struct FilteredRows {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t size = 0;
};

FilteredRows MakeRows(std::size_t row, std::uint32_t height) {
  FilteredRows rows;
  rows.size = (row + 1) * height;
  rows.bytes.reset(new (std::nothrow) unsigned char[rows.size]);
  return rows;
}

// Rows of `pixel`-byte pixels (RGB, or palette indices), all with the
// filter that suits the picture best.
FilteredRows FilterRows(const unsigned char* data, std::size_t row, std::uint32_t height,
                        std::size_t pixel) {
  FilteredRows rows = MakeRows(row, height);
  const PngFilter filter = ChooseFilter(data, row, height, pixel);
  const std::vector<unsigned char> zeros(row, 0);  // above the first row
  for (std::size_t y = 0; rows.bytes && y < height; ++y) {
    unsigned char* out = &rows.bytes[y * (row + 1)];
    out[0] = static_cast<unsigned char>(filter);
    FilterRow(filter, data + y * row, y == 0 ? zeros.data() : data + (y - 1) * row, row, pixel,
              out + 1);
  }
  return rows;
}

// A PNG file of `height` rows (8 bits per sample, the given colour type
// and palette) from its filtered rows, zlib-compressed at once into one
// IDAT chunk.
Problem Encode(std::uint32_t width, std::uint32_t height, std::uint8_t color_type,
               const FilteredRows& rows, const std::string& palette, int level, std::string* out) {
  const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
      libdeflate_alloc_compressor(level));
  const std::size_t bound =
      compressor ? libdeflate_zlib_compress_bound(compressor.get(), rows.size) : 0;
  const std::unique_ptr<unsigned char[]> idat(bound != 0 ? new (std::nothrow) unsigned char[bound]
                                                         : nullptr);
  if (!rows.bytes || !idat) {
    return Problem::Picture("out of memory");
  }
  const std::size_t size =
      libdeflate_zlib_compress(compressor.get(), rows.bytes.get(), rows.size, idat.get(), bound);
  if (size == 0) {
    return Problem::Picture("cannot compress the picture");
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  png.reserve(png.size() + 25 + (palette.empty() ? 0 : 12 + palette.size()) + 12 + size + 12);
  std::string ihdr;
  PutBe32(&ihdr, width);
  PutBe32(&ihdr, height);
  ihdr += std::string{8, static_cast<char>(color_type), 0, 0, 0};  // depth, type, methods
  Chunk(&png, "IHDR", ihdr.data(), ihdr.size());
  if (!palette.empty()) {
    Chunk(&png, "PLTE", palette.data(), palette.size());
  }
  Chunk(&png, "IDAT", idat.get(), size);
  Chunk(&png, "IEND", nullptr, 0);
  *out = std::move(png);
  return Problem::None();
}

// The palette index of a difference picture's colour: the greys 128-255,
// the difference scale's colours, the border colour; -1 for any other.
constexpr int kBorderIndex = 128 + kDiffLevels;

int DiffIndex(const unsigned char* p) {
  if (p[0] == p[1] && p[1] == p[2] && p[0] >= 128) {
    return p[0] - 128;
  }
  if (p[0] == kBorderRgb[0] && p[1] == kBorderRgb[1] && p[2] == kBorderRgb[2]) {
    return kBorderIndex;
  }
  const int level = LevelOfColour(p);
  return level < 0 ? -1 : 128 + level;
}

std::string DiffPalette() {
  std::string palette;
  for (int i = 0; i < 128; ++i) {
    palette += std::string(3, static_cast<char>(128 + i));
  }
  for (int level = 0; level < kDiffLevels; ++level) {
    const unsigned char* c = DiffColour(level);
    palette +=
        std::string{static_cast<char>(c[0]), static_cast<char>(c[1]), static_cast<char>(c[2])};
  }
  return palette + std::string{static_cast<char>(kBorderRgb[0]), static_cast<char>(kBorderRgb[1]),
                               static_cast<char>(kBorderRgb[2])};
}

}  // namespace

Problem EncodePng(const Picture& picture, std::string* png, PngEffort effort) {
  if (picture.empty()) {
    return Problem::Picture("an empty picture");
  }
  const std::size_t row = std::size_t{picture.width} * kComparedPixelBytes;
  return Encode(picture.width, picture.height, kTruecolor,
                FilterRows(picture.rgb.data(), row, picture.height, kComparedPixelBytes), "",
                effort == PngEffort::kSmall ? kSmallLevel : kFastLevel, png);
}

Problem EncodeDiffPng(const Picture& picture, std::string* png, PngEffort effort) {
  if (picture.empty()) {
    return Problem::Picture("an empty picture");
  }
  // Palette indices, filtered with None: the picture's few colours repeat.
  FilteredRows rows = MakeRows(picture.width, picture.height);
  const unsigned char* rgb = picture.rgb.data();
  for (std::size_t y = 0; rows.bytes && y < picture.height; ++y) {
    unsigned char* out = &rows.bytes[y * (std::size_t{picture.width} + 1)];
    *out++ = 0;
    for (std::size_t x = 0; x < picture.width; ++x, rgb += kComparedPixelBytes) {
      const int index = DiffIndex(rgb);
      if (index < 0) {
        return EncodePng(picture, png, effort);  // a colour of its own: as it is
      }
      out[x] = static_cast<unsigned char>(index);
    }
  }
  return Encode(picture.width, picture.height, kIndexed, rows, DiffPalette(),
                effort == PngEffort::kSmall ? kSmallDiffLevel : kFastLevel, png);
}

}  // namespace mae::check
