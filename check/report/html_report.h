// One self-contained HTML page with every case: an overview table first,
// a legend, then a section per case with its pictures embedded as data:
// URIs; styles and script inline, nothing outside the file, and no clock,
// so that the same files always give the same bytes. Without script it
// shows everything but the compare views and the zoom.
#ifndef MAE_CHECK_HTML_REPORT_H
#define MAE_CHECK_HTML_REPORT_H

#include <string>
#include <vector>

#include "case_pictures.h"
#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

// `pictures` holds the cases' pictures, one a case (none: no pictures).
std::string HtmlReport(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const CaseRules& rules);

}  // namespace mae::check

#endif  // MAE_CHECK_HTML_REPORT_H
