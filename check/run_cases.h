// Running the test cases: each compared, judged and, when asked for,
// pictured; several at a time.
#ifndef MAE_CHECK_RUN_CASES_H
#define MAE_CHECK_RUN_CASES_H

#include <vector>

#include "case_result.h"

struct RunOptions {
  double max_mae = 0.0;         // a case passes when its MAE is at most this
  bool diff_pictures = false;   // make diff_png
  bool whole_pictures = false;  // make output_png and reference_png
  unsigned threads = 0;         // 0: one per processor
};

// Runs every case; the results come in the cases' order.
std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options);

#endif  // MAE_CHECK_RUN_CASES_H
