// The class overview page.
#ifndef MAE_CHECK_CLASS_HTML_H
#define MAE_CHECK_CLASS_HTML_H

#include <string>
#include <vector>

#include "case_rules.h"
#include "class_grade.h"

namespace mae::check {

// One self-contained page: a row per student (with `links`, the name links
// to students/FILE.html, FILE being the student's file_name for each student who handed in), a cell
// per case coloured by verdict and marked in text, and the per-case pass rates.
std::string ClassOverviewHtml(const std::vector<StudentResult>& students,
                              const ClassGroups& class_groups, const CaseRules& rules, bool links);

// `text` with every byte but A-Z a-z 0-9 - . _ ~ percent-encoded, for a link.
std::string PercentEncoded(const std::string& text);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_HTML_H
