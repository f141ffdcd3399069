// Per-case figures over a graded class: pass rates and medians.
#ifndef MAE_CHECK_CASE_SUMMARY_H
#define MAE_CHECK_CASE_SUMMARY_H

#include <optional>
#include <string>
#include <vector>

#include "class_grade.h"

namespace mae::check {

struct CaseSummary {
  std::string name;
  Counts counts;           // no-submission rows among the errors
  double pass_rate = 0.0;  // passed / students, from 0 to 1
  // Over the students whose case has an MAE (size-differs fails included,
  // errors and empty areas not); the mean of the middle two for an even
  // count.
  std::optional<double> median_mae;
  // The same for each metric shown (an infinite PSNR counts as the largest).
  MetricSet metrics;
  std::optional<double> median_rmse;
  std::optional<double> median_psnr;
  std::optional<double> median_ssim;
};

std::vector<CaseSummary> SummariseCases(const std::vector<StudentResult>& students);

// The case with the lowest pass rate (the first on a tie), or null when
// every case of every student passes.
const CaseSummary* Weakest(const std::vector<CaseSummary>& cases);

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_SUMMARY_H
