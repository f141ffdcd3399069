#include "png_write.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>

namespace examples {
namespace {

using bmptest::Bytes;

void PutBe32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<unsigned char>(value >> shift));
  }
}

// CRC-32 as PNG and zip use it (polynomial 0xEDB88320, reflected).
std::uint32_t Crc32(const unsigned char* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    c = table[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const Bytes& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const unsigned char byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

// A chunk: its length, its type, its data, then the CRC-32 of type and data.
void PutChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  if (data.size() > 0x7FFFFFFFu) {
    throw std::length_error("PNG chunk too large");
  }
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each), closed
// by the Adler-32 of the data.
Bytes Zlib(const Bytes& raw) {
  Bytes out{0x78, 0x01};  // deflate, 32 KiB window; 0x7801 is a multiple of 31
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + n == raw.size();
    out.push_back(last ? 1 : 0);  // BFINAL, and BTYPE 00: stored
    out.push_back(static_cast<unsigned char>(n & 0xFFu));
    out.push_back(static_cast<unsigned char>(n >> 8));
    out.push_back(static_cast<unsigned char>(~n & 0xFFu));
    out.push_back(static_cast<unsigned char>((~n >> 8) & 0xFFu));
    const auto from = raw.begin() + static_cast<std::ptrdiff_t>(at);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(n));
    at += n;
  } while (at < raw.size());
  PutBe32(out, Adler32(raw));
  return out;
}

}  // namespace

Bytes MakePng(std::uint32_t width, std::uint32_t height, const Bytes& rgb) {
  // PNG sizes are at most 2^31 - 1; the rows with their filter bytes must
  // fit in memory sizes without wrapping.
  constexpr std::uint32_t kMaxSide = 0x7FFFFFFFu;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    throw std::length_error("PNG sizes out of range");
  }
  const std::size_t row = std::size_t{width} * 3;
  if (row / 3 != width || rgb.size() / row != height || rgb.size() % row != 0) {
    throw std::length_error("PNG pixel bytes do not match the sizes");
  }
  Bytes header;
  PutBe32(header, width);
  PutBe32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace

  Bytes raw;  // each row behind filter type 0 (none)
  raw.reserve(rgb.size() + height);
  for (std::size_t y = 0; y < height; ++y) {
    raw.push_back(0);
    const auto from = rgb.begin() + static_cast<std::ptrdiff_t>(y * row);
    raw.insert(raw.end(), from, from + static_cast<std::ptrdiff_t>(row));
  }

  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", Zlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace examples
