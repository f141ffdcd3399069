#include "landscape.h"

#include <cstddef>
#include <cstdint>

namespace examples {
namespace {

struct Rgb {
  int r, g, b;
};

int Clamp(int v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Deterministic noise in [-range, range].
int Noise(std::uint32_t x, std::uint32_t y, int range) {
  std::uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<int>(h % static_cast<std::uint32_t>(2 * range + 1)) - range;
}

// Height of the mountain ridge at column x: a few overlapping peaks.
int Ridge(int x) {
  const int peaks[][3] = {{40, 112, 2}, {95, 124, 1}, {150, 104, 2}, {210, 118, 1}};
  int top = 70;
  for (const auto& p : peaks) {
    const int dx = x > p[0] ? x - p[0] : p[0] - x;
    const int y = p[1] - dx * p[2] + Noise(static_cast<std::uint32_t>(x), 1, 1);
    top = y > top ? y : top;
  }
  return top;
}

// Height of the rolling hills at column x: two parabolic arcs.
int Hills(int x) {
  const int a = 62 - ((x - 60) * (x - 60)) / 220;
  const int b = 55 - ((x - 185) * (x - 185)) / 300;
  const int top = a > b ? a : b;
  return top > 28 ? top : 28;
}

Rgb Pixel(int x, int y) {  // y counts up from the bottom row, as BMP stores it
  const int sun_dx = x - 178;
  const int sun_dy = y - 128;
  const int sun_d2 = sun_dx * sun_dx + sun_dy * sun_dy;
  Rgb c{};
  if (y < Hills(x)) {
    const int depth = Hills(x) - y;
    c = {40 + depth / 2, 120 - depth, 45};
    c.g += Noise(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 14);
    if (y < 24) {  // a lake in the foreground
      c = {30, 70 + y, 120 + 2 * y + Noise(static_cast<std::uint32_t>(x), 7, 6)};
    }
  } else if (y < Ridge(x)) {
    const int shade = (Ridge(x) - y) * 2;
    c = {110 - shade / 3, 115 - shade / 3, 135 - shade / 4};
    if (Ridge(x) - y < 8 && Ridge(x) > 100) {
      c = {235, 238, 245};  // snow on the high peaks
    }
  } else if (sun_d2 < 15 * 15) {
    c = {255, 236, 140};
  } else {
    // Sky: deep blue overhead, paler towards the horizon, with a glow around the sun.
    const int glow = sun_d2 < 40 * 40 ? (40 * 40 - sun_d2) / 40 : 0;
    c = {90 + (160 - y) / 2 + glow, 150 + (160 - y) / 3 + glow / 2, 230};
  }
  return {Clamp(c.r), Clamp(c.g), Clamp(c.b)};
}

}  // namespace

bmptest::Bytes DrawLandscape() {
  bmptest::Bytes pixels(static_cast<std::size_t>(kLandscapeWidth) * kLandscapeHeight * 3);
  for (int y = 0; y < kLandscapeHeight; ++y) {
    for (int x = 0; x < kLandscapeWidth; ++x) {
      const Rgb c = Pixel(x, y);
      const auto at = static_cast<std::size_t>((y * kLandscapeWidth + x) * 3);
      pixels[at] = static_cast<unsigned char>(c.b);  // BMP stores blue, green, red
      pixels[at + 1] = static_cast<unsigned char>(c.g);
      pixels[at + 2] = static_cast<unsigned char>(c.r);
    }
  }
  return pixels;
}

}  // namespace examples
