// One self-contained HTML page with every case: an overview table first,
// a legend, then a section per case with its pictures embedded as data:
// URIs; styles and script inline, nothing outside the file, and no clock,
// so that the same files always give the same bytes. Without script it
// shows everything but the compare views and the zoom.
#ifndef MAE_CHECK_HTML_REPORT_H
#define MAE_CHECK_HTML_REPORT_H

#include <string>
#include <vector>

#include "case_result.h"
#include "case_rules.h"

std::string HtmlReport(const std::vector<CaseResult>& results, const CaseRules& rules);

// "240 × 160", or "" for no size.
std::string SizeAsHtmlText(const std::optional<Size>& size);

// Text made safe inside HTML elements and quoted attributes.
std::string EscapeHtml(const std::string& text);

// RFC 4648 base64 of `bytes`, without line breaks.
std::string Base64(const std::string& bytes);

#endif  // MAE_CHECK_HTML_REPORT_H
