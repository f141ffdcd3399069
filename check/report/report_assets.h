// The report's style sheet and script, inline in every page.
#ifndef MAE_CHECK_REPORT_ASSETS_H
#define MAE_CHECK_REPORT_ASSETS_H

namespace mae::check {

extern const char kReportStyle[];
extern const char kReportScript[];

}  // namespace mae::check

#endif  // MAE_CHECK_REPORT_ASSETS_H
