#include "MAE.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "bmp_reader.h"

const char* output_name[10] = {
    "Blur1.bmp",  "Blur2.bmp",  "Blur3.bmp",  "Blur4.bmp",  "Blur5.bmp",
    "Sobel1.bmp", "Sobel2.bmp", "Sobel3.bmp", "Sobel4.bmp", "Sobel5.bmp",
};

const char* ans_name[10] = {
    "ANS/Blur1.bmp",  "ANS/Blur2.bmp",  "ANS/Blur3.bmp",  "ANS/Blur4.bmp",  "ANS/Blur5.bmp",
    "ANS/Sobel1.bmp", "ANS/Sobel2.bmp", "ANS/Sobel3.bmp", "ANS/Sobel4.bmp", "ANS/Sobel5.bmp",
};

namespace {

constexpr std::uint16_t kComparedBitCount = 24;
constexpr std::size_t kBytesPerPixel = 3;

}  // namespace

std::uint64_t SumAbsDiff(const unsigned char* a, const unsigned char* b, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += static_cast<unsigned>(a[i] > b[i] ? a[i] - b[i] : b[i] - a[i]);
  }
  return sum;
}

double MeanAbsoluteError(const unsigned char* a, std::int32_t width_a, std::int32_t height_a,
                         const unsigned char* b, std::int32_t width_b, std::int32_t height_b) {
  const std::int32_t w = std::min(width_a, width_b);
  const std::int32_t h = std::min(height_a, height_b);
  if (w <= 0 || h <= 0) {
    // 0 / 0: made explicit so that every compiler and processor gives the
    // same negative NaN.
    return -std::numeric_limits<double>::quiet_NaN();
  }
  const std::size_t row_bytes = static_cast<std::size_t>(w) * kBytesPerPixel;
  const std::size_t stride_a = static_cast<std::size_t>(width_a) * kBytesPerPixel;
  const std::size_t stride_b = static_cast<std::size_t>(width_b) * kBytesPerPixel;
  std::uint64_t sum = 0;
  for (std::size_t row = 0; row < static_cast<std::size_t>(h); ++row) {
    sum += SumAbsDiff(a + row * stride_a, b + row * stride_b, row_bytes);
  }
  // Every term is an integer, so the sum is exact and the mean is rounded
  // once, here.
  return static_cast<double>(sum) / static_cast<double>(row_bytes * static_cast<std::size_t>(h));
}

double MAE(const char* path1, const char* path2) {
  BmpReader reader;
  std::int32_t width_a = 0;
  std::int32_t height_a = 0;
  std::int32_t width_b = 0;
  std::int32_t height_b = 0;
  BmpBlock a(reader.ReadBMP(path1, &width_a, &height_a));
  const std::uint16_t bit_count_a = reader.bit_count;
  BmpBlock b(reader.ReadBMP(path2, &width_b, &height_b));
  const std::uint16_t bit_count_b = reader.bit_count;
  if (!a || !b) {
    return -1.0;
  }

  // Blocks are indexed as 3 bytes per pixel, which only a 24-bit image has.
  bool depth_ok = true;
  if (bit_count_a != kComparedBitCount) {
    std::printf(" Error: %s is not a 24-bit image.\n", path1);
    depth_ok = false;
  }
  if (bit_count_b != kComparedBitCount) {
    std::printf(" Error: %s is not a 24-bit image.\n", path2);
    depth_ok = false;
  }
  if (!depth_ok) {
    return -1.0;
  }

  if (width_a != width_b || height_a != height_b) {
    std::printf(" Warning: The size of 2 images is not the same!\n");
  }
  return MeanAbsoluteError(a.get(), width_a, height_a, b.get(), width_b, height_b);
}
