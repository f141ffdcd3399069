// The report's style sheet and script, inline in every page.
#ifndef MAE_CHECK_REPORT_ASSETS_H
#define MAE_CHECK_REPORT_ASSETS_H

extern const char kReportStyle[];
extern const char kReportScript[];

#endif  // MAE_CHECK_REPORT_ASSETS_H
