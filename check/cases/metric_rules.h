// The rules on the figures beside the MAE: RMSE, PSNR, SSIM and the share
// of differing pixels, each with its scale in the words it gives.
#ifndef MAE_CHECK_METRIC_RULES_H
#define MAE_CHECK_METRIC_RULES_H

#include <string>

#include "case_result.h"
#include "exercise_model.h"

namespace mae::check {

// The reasons a compared case breaks the rules of `rule` beyond its MAE and
// largest difference ("SSIM 0.9712 (of 1) below 0.98; PSNR 31.2 dB below
// 40 dB"), "; " between them; "" when it keeps them.
std::string MetricReasons(const ExerciseCase& rule, const CaseResult& facts);

// The share, 0 to 100, of compared pixels that differ by more than the
// rule's tolerance; NaN when no pixel is compared.
double DifferingPercent(const ExerciseCase& rule, const Comparison& c);

// The metrics a rule needs computed.
inline bool NeedsSquares(const ExerciseCase& rule) {
  return rule.rmse.has_value() || rule.psnr.has_value();
}

}  // namespace mae::check

#endif  // MAE_CHECK_METRIC_RULES_H
