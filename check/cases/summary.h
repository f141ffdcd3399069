// What every report of mae-check shares: the counts and the summary line.
#ifndef MAE_CHECK_SUMMARY_H
#define MAE_CHECK_SUMMARY_H

#include <cstddef>
#include <string>
#include <vector>

#include "case_result.h"
#include "case_rules.h"
#include "number_text.h"

namespace mae::check {

// The cases' verdicts, counted.
Counts Summarise(const std::vector<CaseResult>& results);

// "8 of 10 cases pass (MAE at most 0.5)", the default threshold with the
// digits of ThresholdDigits; ", per-case thresholds" and ", border N" when
// they were used.
std::string SummaryLine(const std::vector<CaseResult>& results, const CaseRules& rules);

// A threshold's digits: enough to tell it from the MAE of every case held
// to it.
int ThresholdDigits(const std::vector<CaseResult>& results, double max);

// The MAE of a case for people, with the digits that tell it from its
// threshold, or "-" when none was computed (an error, or an empty area).
std::string MaeText(const CaseResult& r);

}  // namespace mae::check

#endif  // MAE_CHECK_SUMMARY_H
