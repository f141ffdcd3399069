// A class's results as text, JSON and CSV.
#ifndef MAE_CHECK_CLASS_REPORTS_H
#define MAE_CHECK_CLASS_REPORTS_H

#include <string>
#include <vector>

#include "case_rules.h"
#include "case_summary.h"
#include "class_grade.h"

namespace mae::check {

// One line per student (name, score, a mark per case: P pass, F fail,
// E error, - no submission), one per case (pass rate, median MAE), then a
// summary line naming the case with the lowest pass rate.
std::string ClassText(const std::vector<StudentResult>& students, const ClassGroups& groups,
                      const CaseRules& rules);

std::string ClassJson(const std::vector<StudentResult>& students, const ClassGroups& groups,
                      const CaseRules& rules);

// RFC 4180, with a UTF-8 byte-order mark; names that a spreadsheet would
// run as a formula start with '.
std::string ClassCsv(const std::vector<StudentResult>& students);

// The mark of a case in the class table: "P", "F", "E" or "-".
const char* Mark(const CaseResult& r);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_REPORTS_H
