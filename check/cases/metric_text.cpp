#include "metric_text.h"

#include <cmath>
#include <utility>

#include "number_text.h"

namespace mae::check {

std::vector<std::string> MetricHeads(const MetricSet& m) {
  std::vector<std::string> heads;
  for (const auto& [asked, head] :
       {std::pair<bool, const char*>{m.rmse, "RMSE"}, {m.psnr, "PSNR dB"}, {m.ssim, "SSIM"}}) {
    if (asked) {
      heads.push_back(head);
    }
  }
  return heads;
}

std::vector<std::string> MetricCells(const CaseResult& r, const MetricSet& m) {
  const Comparison& c = r.comparison;
  const bool compared = c.state == CompareState::kCompared && c.compared_pixels() != 0;
  std::vector<std::string> cells;
  if (m.rmse) {
    cells.push_back(compared ? SixDigits(c.rmse()) : "-");
  }
  if (m.psnr) {
    cells.push_back(!compared ? "-" : std::isfinite(c.psnr()) ? SixDigits(c.psnr()) : "inf");
  }
  if (m.ssim) {
    cells.push_back(r.ssim ? SixDigits(*r.ssim) : "-");
  }
  return cells;
}

std::string MetricSentence(const CaseResult& r) {
  const std::vector<std::string> cells = MetricCells(r, r.metrics);
  std::vector<std::string> words;
  std::size_t i = 0;
  const auto add = [&](bool shown, const char* name, const char* scale) {
    if (shown) {
      words.push_back(std::string(name) + " " + cells[i] + (cells[i] == "-" ? "" : scale));
      ++i;
    }
  };
  add(r.metrics.rmse, "RMSE", " (0–255 scale)");
  add(r.metrics.psnr, "PSNR", " dB");
  add(r.metrics.ssim, "SSIM", " (of 1)");
  std::string sentence;
  for (const std::string& w : words) {
    sentence += (sentence.empty() ? "" : ", ") + w;
  }
  return sentence;
}

}  // namespace mae::check
