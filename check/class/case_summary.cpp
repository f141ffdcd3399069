#include "case_summary.h"

#include <algorithm>
#include <utility>

namespace mae::check {

namespace {

// The middle value, or the mean of the middle two; nothing for none.
std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) {
    return std::nullopt;
  }
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

}  // namespace

std::vector<CaseSummary> SummariseCases(const std::vector<StudentResult>& students) {
  std::vector<CaseSummary> summaries;
  if (students.empty()) {
    return summaries;
  }
  for (std::size_t i = 0; i < students[0].cases.size(); ++i) {
    CaseSummary s;
    s.name = students[0].cases[i].test_case.name;
    s.metrics = students[0].cases[i].metrics;
    std::vector<double> maes;
    std::vector<double> rmses;
    std::vector<double> psnrs;
    std::vector<double> ssims;
    for (const StudentResult& student : students) {
      const CaseResult& c = student.cases[i];
      s.counts.Add(c.verdict);
      if (c.comparison.state == CompareState::kCompared) {
        maes.push_back(c.comparison.mae());
        if (c.comparison.compared_pixels() != 0) {
          rmses.push_back(c.comparison.rmse());
          psnrs.push_back(c.comparison.psnr());
        }
      }
      if (c.ssim) {
        ssims.push_back(*c.ssim);
      }
    }
    s.pass_rate = static_cast<double>(s.counts.passed) / static_cast<double>(students.size());
    s.median_mae = Median(std::move(maes));
    if (s.metrics.rmse) {
      s.median_rmse = Median(std::move(rmses));
    }
    if (s.metrics.psnr) {
      s.median_psnr = Median(std::move(psnrs));
    }
    if (s.metrics.ssim) {
      s.median_ssim = Median(std::move(ssims));
    }
    summaries.push_back(s);
  }
  return summaries;
}

const CaseSummary* Weakest(const std::vector<CaseSummary>& cases) {
  const CaseSummary* weakest = nullptr;
  for (const CaseSummary& c : cases) {
    if (c.pass_rate < 1.0 && (weakest == nullptr || c.pass_rate < weakest->pass_rate)) {
      weakest = &c;
    }
  }
  return weakest;
}

}  // namespace mae::check
