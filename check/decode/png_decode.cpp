#include "png_decode.h"

#include <spng.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "picture_file.h"

namespace mae::check {

namespace {

// Deflate at its best turns a bit into 258 / 2 bytes: 1032 bytes a byte.
constexpr std::uint64_t kMostInflation = 1032;

std::uint32_t Be32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

bool Dropped(const unsigned char* type) {
  return std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0 ||
         std::memcmp(type, "iCCP", 4) == 0;
}

// The bytes of a width x height picture's filtered rows, a filter byte each.
std::uint64_t RawBytes(const spng_ihdr& ihdr) {
  const unsigned channels = ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR         ? 3
                            : ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2
                            : ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4
                                                                                 : 1;
  // Below 2^31 x 64 bits a row and 2^31 rows: no overflow.
  const std::uint64_t row_bits = std::uint64_t{ihdr.width} * channels * ihdr.bit_depth;
  return std::uint64_t{ihdr.height} * (1 + (row_bits + 7) / 8);
}

void SwapRedBlue(unsigned char* pixels, std::size_t bytes) {
  for (std::size_t i = 0; i + 2 < bytes; i += 3) {
    std::swap(pixels[i], pixels[i + 2]);
  }
}

struct SpngFree {
  void operator()(spng_ctx* ctx) const noexcept { spng_ctx_free(ctx); }
};

}  // namespace

std::uint64_t DropCompressedChunks(std::vector<unsigned char>* png) {
  std::vector<unsigned char>& b = *png;
  std::uint64_t idat = 0;
  std::size_t in = 8, out = 8;
  while (in + 12 <= b.size()) {
    const std::uint64_t end = in + std::uint64_t{12} + Be32(&b[in]);
    if (end > b.size()) {
      break;
    }
    const auto chunk_end = static_cast<std::size_t>(end);
    if (!Dropped(&b[in + 4])) {
      if (std::memcmp(&b[in + 4], "IDAT", 4) == 0) {
        idat += chunk_end - in - 12;
      }
      std::memmove(&b[out], &b[in], chunk_end - in);
      out += chunk_end - in;
    }
    in = chunk_end;
  }
  if (in < b.size()) {
    std::memmove(&b[out], &b[in], b.size() - in);
    out += b.size() - in;
  }
  b.resize(std::min(out, b.size()));
  return idat;
}

Decoding DecodePngStream(std::vector<unsigned char> png, const std::string& what,
                         std::uint64_t max_pixels) {
  Decoding d;
  const std::uint64_t idat = DropCompressedChunks(&png);
  const std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
  if (!ctx) {
    d.error = "cannot be decoded: " + SystemWords(errno);
    return d;
  }
  // No chunk is longer than the stream, and what the ancillary chunks keep
  // stays within a few times its size.
  const std::size_t limit = png.size() + (std::size_t{1} << 20);
  spng_ihdr ihdr{};
  int status = spng_set_chunk_limits(ctx.get(), limit, 4 * limit);
  if (status == 0) {
    status = spng_set_png_buffer(ctx.get(), png.data(), png.size());
  }
  if (status == 0 && png.size() >= 24 && std::memcmp(&png[12], "IHDR", 4) == 0) {
    // The size in the library's limits, and the words for one too large.
    d.error = TooLarge(what, Be32(&png[16]), Be32(&png[20]), max_pixels);
    if (!d.error.empty()) {
      return d;
    }
    const auto most = static_cast<std::uint32_t>(std::min<std::uint64_t>(max_pixels, 0x7FFFFFFF));
    status = spng_set_image_limits(ctx.get(), most, most);
  }
  if (status == 0) {
    status = spng_get_ihdr(ctx.get(), &ihdr);
  }
  if (status != 0) {
    d.error = "is " + what + " that cannot be decoded: " + spng_strerror(status);
    return d;
  }
  d.error = TooLarge(what, ihdr.width, ihdr.height, max_pixels);
  if (d.error.empty() && RawBytes(ihdr) / kMostInflation > idat) {
    d.error = "is " + what + " that holds less pixel data than its header declares";
  }
  if (!d.error.empty()) {
    return d;
  }
  std::unique_ptr<Mapping> out;
  unsigned char* pixels = nullptr;
  DecodedFile decoded = MakePictureFile(ihdr.width, ihdr.height, &out, &pixels, &d.error);
  if (decoded.empty()) {
    return d;
  }
  const std::size_t row = std::size_t{ihdr.width} * 3;
  // Decoded as 8-bit RGB (palettes and grey expanded, alpha dropped), row
  // by row straight into the place the comparison reads each row from: the
  // bottom row first. Red and blue trade places row by row while the row is
  // in cache, or, for an interlaced stream whose rows are filled in seven
  // passes, once at the end.
  status = spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGB8, SPNG_DECODE_PROGRESSIVE);
  const bool interlaced = ihdr.interlace_method != 0;
  while (status == 0) {
    spng_row_info info{};
    status = spng_get_row_info(ctx.get(), &info);
    if (status != 0) {
      break;
    }
    unsigned char* at = pixels + (std::size_t{ihdr.height} - 1 - info.row_num) * row;
    status = spng_decode_row(ctx.get(), at, row);
    if ((status == 0 || status == SPNG_EOI) && !interlaced) {
      SwapRedBlue(at, row);
    }
  }
  if (status != SPNG_EOI) {
    d.error = "is " + what + " that cannot be decoded: " + spng_strerror(status);
    return d;
  }
  if (interlaced) {
    SwapRedBlue(pixels, row * ihdr.height);
  }
  d.file = std::move(decoded);
  return d;
}

}  // namespace mae::check
