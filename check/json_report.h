// The results as one JSON document (mae-check --json).
#ifndef MAE_CHECK_JSON_REPORT_H
#define MAE_CHECK_JSON_REPORT_H

#include <string>
#include <vector>

#include "case_result.h"

// `diff_paths[i]` is the difference picture written for case i, or empty.
std::string JsonReport(const std::vector<CaseResult>& results, double max,
                       const std::vector<std::string>& diff_paths);

#endif  // MAE_CHECK_JSON_REPORT_H
