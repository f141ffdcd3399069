#include "metric_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "number_text.h"

namespace mae::check {

namespace {

void Add(std::string* reasons, const std::string& reason) {
  *reasons += (reasons->empty() ? "" : "; ") + reason;
}

// The value and its bound, in as many digits as it takes to tell them
// apart.
std::string Pair(double value, const char* relation, double bound, const char* unit) {
  const int digits = DigitsToTell(value, bound);
  return NumberText(value, digits) + unit + relation + NumberText(bound, digits) + unit;
}

}  // namespace

double DifferingPercent(const ExerciseCase& rule, const Comparison& c) {
  const std::uint64_t whole = c.compared_pixels();
  if (whole == 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const std::uint64_t part = rule.tolerance == 0 ? c.differing_pixels : c.beyond_tolerance;
  return 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::string MetricReasons(const ExerciseCase& rule, const CaseResult& facts) {
  const Comparison& c = facts.comparison;
  std::string reasons;
  if (rule.rmse && !(c.rmse() <= *rule.rmse)) {
    Add(&reasons, "RMSE " + Pair(c.rmse(), " above ", *rule.rmse, "") + " (0–255 scale)");
  }
  // Identical pictures have an infinite PSNR, which keeps any bound.
  if (rule.psnr && !(c.psnr() >= *rule.psnr)) {
    Add(&reasons, "PSNR " + Pair(c.psnr(), " below ", *rule.psnr, " dB"));
  }
  if (rule.ssim) {
    if (!facts.ssim) {
      Add(&reasons, "no SSIM: the compared area is under " + std::to_string(kSsimWindow) + " x " +
                        std::to_string(kSsimWindow) + " pixels");
    } else if (!(*facts.ssim >= *rule.ssim)) {
      const int digits = std::max(4, DigitsToTell(*facts.ssim, *rule.ssim));
      Add(&reasons, "SSIM " + NumberText(*facts.ssim, digits) + " (of 1) below " +
                        NumberText(*rule.ssim, digits));
    }
  }
  if (rule.differing_percent) {
    const double percent = DifferingPercent(rule, c);
    if (!(percent <= *rule.differing_percent)) {
      const std::string what = rule.tolerance == 0 ? std::string("differing pixels ")
                                                   : "pixels differing by more than " +
                                                         std::to_string(rule.tolerance) + ": ";
      Add(&reasons, what + Pair(percent, "% above ", *rule.differing_percent, "") + "%");
    }
  }
  return reasons;
}

}  // namespace mae::check
