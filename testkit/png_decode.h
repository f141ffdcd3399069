// PNG pictures decoded by libspng, an independent decoder that holds
// mae-check's encoder to the format.
#ifndef MAE_TESTKIT_PNG_DECODE_H
#define MAE_TESTKIT_PNG_DECODE_H

#include <spng.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bmptest {

struct Decoded {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<unsigned char> rgb;  // top row first, 8-bit RGB
};

// The picture, or 0 x 0 when it cannot be decoded.
inline Decoded DecodePng(const std::vector<unsigned char>& png) {
  Decoded d;
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, png.data(), png.size());
  spng_ihdr ihdr{};
  std::size_t size = 0;
  if (spng_get_ihdr(ctx, &ihdr) == 0 && spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &size) == 0) {
    d.rgb.resize(size);
    if (spng_decode_image(ctx, d.rgb.data(), size, SPNG_FMT_RGB8, 0) == 0) {
      d.width = ihdr.width;
      d.height = ihdr.height;
    }
  }
  spng_ctx_free(ctx);
  return d;
}

}  // namespace bmptest

#endif  // MAE_TESTKIT_PNG_DECODE_H
