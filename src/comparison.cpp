// What a Comparison derives from its sums: the means over the compared
// pixels and whether the sizes differ.
#include <cmath>
#include <limits>

#include "area_mean.h"
#include "compare.h"

namespace mae {

bool Comparison::sizes_differ() const {
  return state != CompareState::kRefused &&
         (a.header.width != b.header.width || a.header.height != b.header.height);
}

double Comparison::mae() const {
  switch (state) {
    case CompareState::kCompared:
      return Mean(sum, compared_pixels() * kComparedPixelBytes);
    case CompareState::kEmptyArea:
      return Mean(0, 0);
    case CompareState::kRefused:
    case CompareState::kFailedWhileComparing:
      break;
  }
  return -1.0;
}

double Comparison::rmse() const {
  if (state != CompareState::kCompared || compared_pixels() == 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return std::sqrt(static_cast<double>(sum_sq) /
                   static_cast<double>(compared_pixels() * kComparedPixelBytes));
}

double Comparison::psnr() const {
  if (state != CompareState::kCompared || compared_pixels() == 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (sum_sq == 0) {
    return std::numeric_limits<double>::infinity();
  }
  const double mse =
      static_cast<double>(sum_sq) / static_cast<double>(compared_pixels() * kComparedPixelBytes);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace mae
