#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace mae::check {

std::string SixDigits(double value) {
  return NumberText(value, 6);
}

std::string NumberText(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

int DigitsToTell(double mae, double max) {
  constexpr int kShortest = 6;
  constexpr int kEnough = 17;  // tells any two different doubles apart
  if (std::isnan(mae) || mae == max) {
    return kShortest;
  }
  for (int digits = kShortest; digits < kEnough; ++digits) {
    if (NumberText(mae, digits) != NumberText(max, digits)) {
      return digits;
    }
  }
  return kEnough;
}

std::string PercentText(std::uint64_t part, std::uint64_t whole) {
  if (part == 0 || whole == 0) {
    return "0%";
  }
  const double percent = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
  if (percent < 0.01) {
    return "<0.01%";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.2f%%", percent);
  return text;
}

std::string ShortestText(double value) {
  char text[32];
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);  // whole numbers as such: 10, not 1e+01
    return text;
  }
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) {
      break;
    }
  }
  return text;
}

}  // namespace mae::check
