#include "png.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kChannels = 3;

struct SpngFree {
  void operator()(spng_ctx* ctx) const noexcept { spng_ctx_free(ctx); }
};

}  // namespace

namespace {

// Encodes `size` bytes of rows in the given colour type (with its palette
// for an indexed picture), as PNG bytes.
std::string Encode(std::uint32_t width, std::uint32_t height, std::uint8_t color_type,
                   const unsigned char* data, std::size_t size, spng_plte* palette,
                   std::string* error) {
  std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) {
    *error = "out of memory";
    return {};
  }
  spng_ihdr ihdr{};
  ihdr.width = width;
  ihdr.height = height;
  ihdr.bit_depth = 8;
  ihdr.color_type = color_type;
  // Fast over small: these pictures are looked at, not archived. One
  // filter instead of trying all five on every row (none for an indexed
  // picture), and light compression.
  int status = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  if (status == 0) {
    status = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
  }
  if (status == 0) {
    status = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE,
                             palette != nullptr ? SPNG_FILTER_CHOICE_NONE : SPNG_FILTER_CHOICE_UP);
  }
  if (status == 0) {
    status = spng_set_ihdr(ctx.get(), &ihdr);
  }
  if (status == 0 && palette != nullptr) {
    status = spng_set_plte(ctx.get(), palette);
  }
  if (status == 0) {
    status = spng_encode_image(ctx.get(), data, size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  }
  if (status != 0) {
    *error = spng_strerror(status);
    return {};
  }
  std::size_t bytes = 0;
  void* buffer = spng_get_png_buffer(ctx.get(), &bytes, &status);
  if (buffer == nullptr) {
    *error = spng_strerror(status);
    return {};
  }
  std::string png(static_cast<const char*>(buffer), bytes);
  std::free(buffer);  // the buffer is the caller's, allocated with malloc
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

}  // namespace

std::string EncodePng(const Picture& picture, std::string* error) {
  return Encode(picture.width, picture.height, SPNG_COLOR_TYPE_TRUECOLOR, picture.rgb.data(),
                picture.rgb.size(), nullptr, error);
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
  spng_plte palette{};
  palette.n_entries = 230;
  for (int i = 0; i < 128; ++i) {
    palette.entries[i] = {static_cast<std::uint8_t>(128 + i), static_cast<std::uint8_t>(128 + i),
                          static_cast<std::uint8_t>(128 + i), 255};
  }
  for (int g = 0; g <= 100; ++g) {
    const auto shade = static_cast<std::uint8_t>(g);
    palette.entries[128 + g] = {255, shade, shade, 255};
  }
  palette.entries[229] = {kBorderRgb[0], kBorderRgb[1], kBorderRgb[2], 255};
  return Encode(picture.width, picture.height, SPNG_COLOR_TYPE_INDEXED, indices.data(),
                indices.size(), &palette, error);
}
