// The results as one JSON document (mae-check --json).
#ifndef MAE_CHECK_JSON_REPORT_H
#define MAE_CHECK_JSON_REPORT_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

using Json = nlohmann::ordered_json;

// Raised when a key changes meaning or goes; new keys keep the version.
constexpr int kJsonVersion = 1;

// One case as an object; "diff" is `diff_path`, or null when it is "".
Json CaseJson(const CaseResult& r, const std::string& diff_path);

// The document as text: paths are bytes from the command line and may not
// be UTF-8, so what is not is replaced (U+FFFD) rather than refused.
std::string JsonText(const Json& doc);

// The whole document; `diff_paths` says where each case's difference
// picture was written ("", or none at all, where it was not).
std::string JsonReport(const std::vector<CaseResult>& results, const CaseRules& rules,
                       const std::vector<std::string>& diff_paths = {});

// The rules a run used, as the top-level keys after "max": "border", and
// "max_difference", "max_patterns", "points" and "point_patterns" when set.
void AddRulesJson(const CaseRules& rules, Json* doc);

// The metrics asked for, on a case's JSON after its "mae": "rmse", "psnr"
// (null for identical pictures, whose MAE of 0 says why) and "ssim", each
// null where the case has none.
void AddMetricsJson(const CaseResult& r, const MetricSet& metrics, Json* j);

}  // namespace mae::check

#endif  // MAE_CHECK_JSON_REPORT_H
