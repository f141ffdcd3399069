// mae-check's SSIM against scikit-image's, run on the same pixels: smooth
// pictures with noise, of odd sizes too, each against a blurred, shifted,
// noisy copy. Skipped where Debian's python3 cannot import skimage
// (python3-skimage).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ssim.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae::check;

const char kPython[] = "/usr/bin/python3";

// A picture's blue, green and red bytes, bottom row first, each row padded
// to a multiple of 4 bytes as in a BMP file.
struct Picture {
  std::uint32_t width, height;
  std::size_t stride;
  std::vector<unsigned char> bytes;

  Picture(std::uint32_t w, std::uint32_t h)
      : width(w), height(h), stride((w * 3u + 3u) & ~3u), bytes(stride * h, 0xEE) {}
  unsigned char& at(std::uint32_t x, std::uint32_t y, std::uint32_t c) {
    return bytes[y * stride + x * 3u + c];
  }
  unsigned char at(std::uint32_t x, std::uint32_t y, std::uint32_t c) const {
    return bytes[y * stride + x * 3u + c];
  }
  ImageView view() const { return {bytes.data(), width, height, stride}; }
};

unsigned char Clamp(double v) {
  return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

// Gradients, a slow wave and noise.
Picture Reference(std::uint32_t w, std::uint32_t h, std::mt19937* random) {
  Picture p(w, h);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      for (std::uint32_t c = 0; c < 3; ++c) {
        const double smooth = 200.0 * x / w + 50.0 * y / h + 30.0 * c +
                              25.0 * std::sin((x + 2.0 * y) / (7.0 + 3 * c));
        p.at(x, y, c) = Clamp(smooth - 40 + static_cast<int>((*random)() % 17) - 8);
      }
    }
  }
  return p;
}

// The reference's 3 x 3 box blur, moved `shift` pixels right (the edge
// pixels repeated), plus noise of up to `noise` either way.
Picture Output(const Picture& ref, std::uint32_t shift, int noise, std::mt19937* random) {
  Picture p(ref.width, ref.height);
  for (std::uint32_t y = 0; y < ref.height; ++y) {
    for (std::uint32_t x = 0; x < ref.width; ++x) {
      for (std::uint32_t c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const auto sx =
                std::clamp<std::int64_t>(std::int64_t{x} - shift + dx, 0, ref.width - 1);
            const auto sy = std::clamp<std::int64_t>(std::int64_t{y} + dy, 0, ref.height - 1);
            sum += ref.at(static_cast<std::uint32_t>(sx), static_cast<std::uint32_t>(sy), c);
          }
        }
        const int n = static_cast<int>((*random)() % static_cast<unsigned>(2 * noise + 1)) - noise;
        p.at(x, y, c) = Clamp(sum / 9.0 + n);
      }
    }
  }
  return p;
}

// The picture's rows without their padding, as the script reads them.
void Write(const Picture& p, const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  for (std::uint32_t y = 0; y < p.height; ++y) {
    file.write(reinterpret_cast<const char*>(&p.bytes[y * p.stride]), p.width * 3);
  }
}

TEST(Metrics, SsimAgreesWithScikitImage) {
  try {
    if (bmptest::Run(kPython, {"-c", "import skimage.metrics"}).exit_status != 0) {
      GTEST_SKIP() << kPython << " cannot import skimage (apt-get install python3-skimage)";
    }
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "no " << kPython << " to run scikit-image";
  }
  const struct {
    std::uint32_t width, height, shift;
    int noise;
    std::vector<PixelRect> same;  // top-left origin; the last reaches past the edge
  } rows[] = {
      {64, 48, 0, 12, {}},
      {101, 77, 1, 4, {}},
      {300, 211, 2, 20, {}},
      {101, 77, 1, 30, {{3, 5, 20, 9}, {60, 40, 13, 30}, {90, 70, 40, 40}}},
  };
  bmptest::TempDir dir;
  std::mt19937 random(20261209);
  std::ostringstream list;
  std::vector<double> ours;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& row = rows[i];
    Picture ref = Reference(row.width, row.height, &random);
    const Picture out = Output(ref, row.shift, row.noise, &random);
    const std::string name = dir / std::to_string(i);
    Write(out, name + ".out");
    Write(ref, name + ".ref");
    list << row.width << ' ' << row.height << ' ' << name << ".out " << name << ".ref";
    for (const PixelRect& r : row.same) {
      list << ' ' << r.x << ',' << r.y << ',' << r.width << ',' << r.height;
    }
    list << '\n';
    ours.push_back(Ssim(out.view(), ref.view(), row.same).value_or(-2));
  }
  std::ofstream(dir / "pairs.txt") << list.str();
  const bmptest::RunResult run = bmptest::Run(kPython, {MAE_SKIMAGE_SSIM, dir / "pairs.txt"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  std::istringstream theirs(run.out);
  for (std::size_t i = 0; i < ours.size(); ++i) {
    double skimage = 0;
    ASSERT_TRUE(theirs >> skimage) << run.out;
    EXPECT_NEAR(ours[i], skimage, 1e-6) << rows[i].width << "x" << rows[i].height << ", pair " << i;
    EXPECT_LT(skimage, 0.99) << "a pair that tells little";
  }
}

}  // namespace
