// The figures beside the MAE as documents write them: table heads and
// cells, and a sentence with each figure's scale.
#ifndef MAE_CHECK_METRIC_TEXT_H
#define MAE_CHECK_METRIC_TEXT_H

#include <string>
#include <vector>

#include "case_result.h"

namespace mae::check {

// The metrics in `m`, as columns after the MAE: "RMSE", "PSNR dB", "SSIM".
std::vector<std::string> MetricHeads(const MetricSet& m);

// A case's cells under those heads: six digits, "inf" for the PSNR of
// identical pictures, "-" where there is no figure.
std::vector<std::string> MetricCells(const CaseResult& r, const MetricSet& m);

// The case's metrics (r.metrics) in words, each with its scale: "RMSE
// 1.2 (0–255 scale), PSNR 46.5 dB, SSIM 0.9931 (of 1)"; "" when none is
// shown.
std::string MetricSentence(const CaseResult& r);

}  // namespace mae::check

#endif  // MAE_CHECK_METRIC_TEXT_H
