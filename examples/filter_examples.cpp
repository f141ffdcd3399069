#include "filter_examples.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "png_write.h"

namespace examples {
namespace {

using bmptest::Bytes;

struct Size {
  int width, height;

  // Byte index of pixel (x, y) in packed rows.
  std::size_t At(int x, int y) const { return static_cast<std::size_t>((y * width + x) * 3); }
  bool Border(int x, int y) const { return x == 0 || y == 0 || x == width - 1 || y == height - 1; }
};

// Grey levels with the usual luma weights, in 1/256ths: all three bytes alike.
Bytes Gray(const Bytes& in) {
  Bytes out(in.size());
  for (std::size_t at = 0; at + 2 < in.size(); at += 3) {
    const int v = (77 * in[at + 2] + 150 * in[at + 1] + 29 * in[at] + 128) >> 8;
    out[at] = out[at + 1] = out[at + 2] = static_cast<unsigned char>(v);
  }
  return out;
}

// A 3x3 median of each channel; the border pixels, which lack a full
// neighbourhood, copied from the input or, as a common slip, left black.
Bytes Median(const Bytes& in, Size size, bool black_border) {
  Bytes out(in.size());
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const std::size_t at = size.At(x, y);
      for (std::size_t k = 0; k < 3; ++k) {
        if (size.Border(x, y)) {
          out[at + k] = black_border ? 0 : in[at + k];
          continue;
        }
        std::array<unsigned char, 9> window{};
        std::size_t n = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            window[n++] = in[size.At(x + dx, y + dy) + k];
          }
        }
        std::nth_element(window.begin(), window.begin() + 4, window.end());
        out[at + k] = window[4];
      }
    }
  }
  return out;
}

// Histogram equalisation of a grey picture: v' = (cdf(v) - cdf_min) x 255 /
// (N - cdf_min), rounded to nearest, or, as a common slip, rounded down.
Bytes Equalize(const Bytes& gray, Size size, bool round_down) {
  std::array<std::int64_t, 256> cdf{};
  for (std::size_t at = 0; at < gray.size(); at += 3) {
    ++cdf[gray[at]];
  }
  for (std::size_t v = 1; v < cdf.size(); ++v) {
    cdf[v] += cdf[v - 1];
  }
  const std::int64_t count = std::int64_t{size.width} * size.height;
  std::int64_t cdf_min = 0;
  for (const std::int64_t c : cdf) {
    if (c > 0) {
      cdf_min = c;
      break;
    }
  }
  const std::int64_t span = count - cdf_min;
  Bytes out(gray.size());
  for (std::size_t at = 0; at + 2 < gray.size(); at += 3) {
    std::int64_t v = 0;  // a flat picture (span 0) maps to black
    if (span > 0) {
      const std::int64_t scaled = (cdf[gray[at]] - cdf_min) * 255;
      v = round_down ? scaled / span : (2 * scaled + span) / (2 * span);
    }
    out[at] = out[at + 1] = out[at + 2] = static_cast<unsigned char>(v);
  }
  return out;
}

// Packed BMP rows (bottom row first, blue green red) as PNG wants them:
// top row first, red green blue.
Bytes TopDownRgb(const Bytes& in, Size size) {
  Bytes out;
  out.reserve(in.size());
  for (int y = size.height - 1; y >= 0; --y) {
    for (int x = 0; x < size.width; ++x) {
      const std::size_t at = size.At(x, y);
      out.insert(out.end(), {in[at + 2], in[at + 1], in[at]});
    }
  }
  return out;
}

}  // namespace

void WriteFilters(const std::string& folder, const Bytes& picture, int width, int height) {
  const Size size{width, height};
  if (width <= 0 || height <= 0 || width % 4 != 0 || picture.size() != size.At(0, height)) {
    throw std::length_error("the filters' picture does not match its sizes");
  }
  const auto w = static_cast<std::uint32_t>(width);
  const auto h = static_cast<std::uint32_t>(height);
  const auto bmp = [&](const std::string& name, const Bytes& pixels) {
    bmptest::WriteFile(folder + "/" + name, bmptest::MakeBmp(w, h, pixels));
  };
  const Bytes gray = Gray(picture);
  bmp("inputs/landscape.bmp", picture);

  bmptest::WriteFile(folder + "/ANS/gray.png", MakePng(w, h, TopDownRgb(gray, size)));
  bmp("ANS/median.bmp", Median(picture, size, false));
  bmp("ANS/equalized.bmp", Equalize(gray, size, false));

  bmp("student/gray.bmp", gray);
  bmp("student/median.bmp", Median(picture, size, true));
  bmp("student/equalized.bmp", Equalize(gray, size, true));
}

}  // namespace examples
