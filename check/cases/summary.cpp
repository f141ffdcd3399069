#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mae::check {

Counts Summarise(const std::vector<CaseResult>& results) {
  Counts counts;
  for (const CaseResult& r : results) {
    counts.Add(r.verdict);
  }
  return counts;
}

std::string SummaryLine(const std::vector<CaseResult>& results, const CaseRules& rules) {
  const Counts summary = Summarise(results);
  const char* noun = summary.total() == 1 ? " case passes" : " cases pass";
  const double max = rules.default_max;
  std::string line =
      std::to_string(summary.passed) + " of " + std::to_string(summary.total()) + noun;
  if (rules.exercise) {
    // Each case has its own rules: the exercise names them.
    line += rules.exercise->title.empty() ? " (the exercise file's rules"
                                          : " (the rules of \"" + rules.exercise->title + "\"";
    if (rules.max_given || !rules.max_patterns.empty()) {
      line += ", MAE thresholds from --max";
    }
  } else {
    line += " (MAE at most " + NumberText(max, ThresholdDigits(results, max));
    if (!rules.max_patterns.empty()) {
      line += ", per-case thresholds";
    }
  }
  if (rules.max_difference) {
    line += ", largest difference at most " + std::to_string(*rules.max_difference);
  }
  if (rules.border != 0 && (!rules.exercise || rules.border_given)) {
    line += ", border " + std::to_string(rules.border) + " left out";
  }
  return line + ")";
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

}  // namespace mae::check
