#include "png.h"

#include <libdeflate.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kChannels = 3;
constexpr std::uint8_t kTruecolor = 2;
constexpr std::uint8_t kIndexed = 3;
// Fast over small: these pictures are looked at, not archived.
constexpr int kLevel = 2;

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

// A PNG file of `height` rows of `row` bytes each (8 bits per sample, the
// given colour type and palette): each row filtered with Up (truecolour) or
// None (indexed), the whole zlib-compressed at once into one IDAT chunk.
std::string Encode(std::uint32_t width, std::uint32_t height, std::uint8_t color_type,
                   const unsigned char* data, std::size_t row, const std::string& palette,
                   std::string* error) {
  const bool up = color_type == kTruecolor;
  std::vector<unsigned char> filtered((row + 1) * height);
  for (std::size_t y = 0; y < height; ++y) {
    unsigned char* out = &filtered[y * (row + 1)];
    const unsigned char* in = data + y * row;
    out[0] = up ? 2 : 0;
    for (std::size_t i = 0; i < row; ++i) {
      out[1 + i] = up && y > 0 ? static_cast<unsigned char>(in[i] - in[i - row]) : in[i];
    }
  }
  const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
      libdeflate_alloc_compressor(kLevel));
  if (!compressor) {
    *error = "out of memory";
    return {};
  }
  std::string idat(libdeflate_zlib_compress_bound(compressor.get(), filtered.size()), '\0');
  const std::size_t size = libdeflate_zlib_compress(compressor.get(), filtered.data(),
                                                    filtered.size(), idat.data(), idat.size());
  if (size == 0) {
    *error = "cannot compress the picture";
    return {};
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBe32(&ihdr, width);
  PutBe32(&ihdr, height);
  ihdr += std::string{8, static_cast<char>(color_type), 0, 0, 0};  // depth, type, methods
  Chunk(&png, "IHDR", ihdr.data(), ihdr.size());
  if (!palette.empty()) {
    Chunk(&png, "PLTE", palette.data(), palette.size());
  }
  Chunk(&png, "IDAT", idat.data(), size);
  Chunk(&png, "IEND", nullptr, 0);
  return png;
}

// The palette index of a difference picture's colour: the greys 128-255,
// the reds (255, G, G) for G 0-100, the border colour; -1 for any other.
int DiffIndex(const unsigned char* p) {
  if (p[0] == p[1] && p[1] == p[2] && p[0] >= 128) {
    return p[0] - 128;
  }
  if (p[0] == 255 && p[1] == p[2] && p[1] <= 100) {
    return 128 + p[1];
  }
  if (p[0] == kBorderRgb[0] && p[1] == kBorderRgb[1] && p[2] == kBorderRgb[2]) {
    return 229;
  }
  return -1;
}

std::string DiffPalette() {
  std::string palette;
  for (int i = 0; i < 128; ++i) {
    palette += std::string(3, static_cast<char>(128 + i));
  }
  for (int g = 0; g <= 100; ++g) {
    palette += std::string{static_cast<char>(255), static_cast<char>(g), static_cast<char>(g)};
  }
  return palette + std::string{static_cast<char>(kBorderRgb[0]), static_cast<char>(kBorderRgb[1]),
                               static_cast<char>(kBorderRgb[2])};
}

}  // namespace

std::string EncodePng(const Picture& picture, std::string* error) {
  if (picture.empty()) {
    *error = "an empty picture";
    return {};
  }
  return Encode(picture.width, picture.height, kTruecolor, picture.rgb.data(),
                std::size_t{picture.width} * kChannels, "", error);
}

std::string EncodeDiffPng(const Picture& picture, std::string* error) {
  std::vector<unsigned char> indices(picture.rgb.size() / kChannels);
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const int index = DiffIndex(&picture.rgb[i * kChannels]);
    if (index < 0) {
      return EncodePng(picture, error);  // a colour of its own: as it is
    }
    indices[i] = static_cast<unsigned char>(index);
  }
  if (picture.empty()) {
    *error = "an empty picture";
    return {};
  }
  return Encode(picture.width, picture.height, kIndexed, indices.data(), picture.width,
                DiffPalette(), error);
}
