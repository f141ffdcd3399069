// The table mae-check prints: one aligned line per case, then the summary.
#ifndef MAE_CHECK_TEXT_REPORT_H
#define MAE_CHECK_TEXT_REPORT_H

#include <string>
#include <vector>

#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

std::string TextReport(const std::vector<CaseResult>& results, const CaseRules& rules);

}  // namespace mae::check

#endif  // MAE_CHECK_TEXT_REPORT_H
