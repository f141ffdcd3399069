#include "area_mean.h"

#include <algorithm>
#include <limits>

namespace mae {

bool CommonArea(std::int64_t width_a, std::int64_t height_a, std::int64_t width_b,
                std::int64_t height_b, std::uint64_t* width, std::uint64_t* height) {
  const std::int64_t w = std::min(width_a, width_b);
  const std::int64_t h = std::min(height_a, height_b);
  if (w <= 0 || h <= 0) {
    return false;
  }
  *width = static_cast<std::uint64_t>(w);
  *height = static_cast<std::uint64_t>(h);
  return true;
}

double Mean(std::uint64_t sum, std::uint64_t count) {
  // Every term of the sum is an integer, so the sum is exact and the mean
  // is rounded once, here. An empty area would be 0 / 0: its NaN is made
  // explicit so that every compiler and processor gives the same one.
  if (count == 0) {
    return -std::numeric_limits<double>::quiet_NaN();
  }
  return static_cast<double>(sum) / static_cast<double>(count);
}

}  // namespace mae
