// The report's and the class overview's style sheets and script. Their
// text lives in report/assets/ as .css and .js files, which the build
// compiles in (cmake/embed_assets.cmake).
#ifndef MAE_CHECK_REPORT_ASSETS_H
#define MAE_CHECK_REPORT_ASSETS_H

#include <string>

namespace mae::check {

// The files' text, as they stand.
extern const char kBaseCss[];    // base.css: shared by both pages
extern const char kReportCss[];  // report.css
extern const char kClassCss[];   // class.css
extern const char kReportJs[];   // report.js
extern const char kPageCss[];    // page.css: the web page's own parts
extern const char kPageJs[];     // page.js: the web page's script

// Each page's <style> element, and the report's <script> element.
std::string ReportStyle();
std::string ClassStyle();
std::string ReportScript();
// The report's script, without its element: the text a
// Content-Security-Policy hash names.
std::string ReportScriptText();

}  // namespace mae::check

#endif  // MAE_CHECK_REPORT_ASSETS_H
