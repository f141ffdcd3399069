// One self-contained HTML page with every case: pictures embedded as
// data: URIs, styles inline, no script, nothing outside the file, and no
// clock, so that the same files always give the same bytes.
#ifndef MAE_CHECK_HTML_REPORT_H
#define MAE_CHECK_HTML_REPORT_H

#include <string>
#include <vector>

#include "case_result.h"
#include "case_rules.h"

std::string HtmlReport(const std::vector<CaseResult>& results, const CaseRules& rules);

// Text made safe inside HTML elements and quoted attributes.
std::string EscapeHtml(const std::string& text);

// RFC 4648 base64 of `bytes`, without line breaks.
std::string Base64(const std::string& bytes);

#endif  // MAE_CHECK_HTML_REPORT_H
