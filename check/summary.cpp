#include "summary.h"

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

std::string SummaryLine(const Summary& summary, double max) {
  const char* noun = summary.total() == 1 ? " case passes" : " cases pass";
  return std::to_string(summary.passed) + " of " + std::to_string(summary.total()) + noun +
         " (MAE at most " + SixDigits(max) + ")";
}

std::string SixDigits(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string MaeText(const CaseResult& r) {
  if (!r.comparison.has_figures() || std::isnan(r.comparison.mae())) {
    return "-";
  }
  return SixDigits(r.comparison.mae());
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
