#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Summary Summarise(const std::vector<CaseResult>& results) {
  Summary s;
  for (const CaseResult& r : results) {
    switch (r.verdict) {
      case Verdict::kPass:
        ++s.passed;
        break;
      case Verdict::kFail:
        ++s.failed;
        break;
      case Verdict::kError:
        ++s.errors;
        break;
    }
  }
  return s;
}

std::string SummaryLine(const std::vector<CaseResult>& results, const CaseRules& rules) {
  const Summary summary = Summarise(results);
  const char* noun = summary.total() == 1 ? " case passes" : " cases pass";
  const double max = rules.default_max;
  std::string line = std::to_string(summary.passed) + " of " + std::to_string(summary.total()) +
                     noun + " (MAE at most " + NumberText(max, ThresholdDigits(results, max));
  if (!rules.max_patterns.empty()) {
    line += ", per-case thresholds";
  }
  if (rules.max_difference) {
    line += ", largest difference at most " + std::to_string(*rules.max_difference);
  }
  if (rules.border != 0) {
    line += ", border " + std::to_string(rules.border) + " left out";
  }
  return line + ")";
}

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

int ThresholdDigits(const std::vector<CaseResult>& results, double max) {
  int digits = DigitsToTell(max, max);
  for (const CaseResult& r : results) {
    if (r.comparison.state == CompareState::kCompared && r.max_mae == max) {
      digits = std::max(digits, DigitsToTell(r.comparison.mae(), max));
    }
  }
  return digits;
}

std::string MaeText(const CaseResult& r) {
  if (r.comparison.state != CompareState::kCompared) {
    return "-";
  }
  return NumberText(r.comparison.mae(), DigitsToTell(r.comparison.mae(), r.max_mae));
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
