#include "text_report.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "metric_text.h"
#include "number_text.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

enum Column { kCase, kVerdict, kMae, kMaxDiff, kDiffering, kReason, kColumns };
using Row = std::vector<std::string>;

// The note and what looks wrong, as the reason column adds them.
std::vector<std::string> Diagnoses(const CaseResult& r) {
  std::vector<std::string> words;
  if (!r.note.empty()) {
    words.push_back(r.note);
  }
  for (const Diagnosis& d : r.diagnosis) {
    words.push_back(d.text);
  }
  return words;
}

Row RowOf(const CaseResult& r) {
  const Comparison& c = r.comparison;
  Row row(kColumns);
  row[kCase] = Shown(r.test_case.name);
  row[kVerdict] = VerdictWord(r.verdict);
  row[kMae] = MaeText(r);
  if (c.has_figures()) {
    row[kMaxDiff] = std::to_string(c.max_difference);
    row[kDiffering] = std::to_string(c.differing_pixels) + " (" +
                      PercentText(c.differing_pixels, c.compared_pixels()) + ")";
  } else {
    row[kMaxDiff] = row[kDiffering] = "-";
  }
  std::string reason = r.reason;
  for (const std::string& more : Diagnoses(r)) {
    reason += (reason.empty() ? "" : "; ") + more;
  }
  row[kReason] = Shown(reason);
  return row;
}

}  // namespace

std::string TextReport(const std::vector<CaseResult>& results, const CaseRules& rules) {
  // The metrics asked for go right after the MAE.
  const std::vector<std::string> heads = MetricHeads(rules.metrics);
  const auto with_metrics = [](Row row, const std::vector<std::string>& metrics) {
    row.insert(row.begin() + kMae + 1, metrics.begin(), metrics.end());
    return row;
  };
  std::vector<Row> rows = {
      with_metrics({"case", "verdict", "MAE", "max diff", "differing pixels", "reason"}, heads)};
  for (const CaseResult& r : results) {
    rows.push_back(with_metrics(RowOf(r), MetricCells(r, rules.metrics)));
  }
  const std::size_t columns = rows[0].size();
  const std::size_t reason = columns - 1;
  std::vector<std::size_t> width(columns);
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < columns; ++i) {
      width[i] = std::max(width[i], ShownWidth(row[i]));
    }
  }
  std::string text;
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < columns; ++i) {
      const std::string& cell = row[i];
      const std::string pad(width[i] - ShownWidth(cell), ' ');
      // Numbers line up on the right, words on the left.
      const bool numeric = i >= kMae && i < reason;
      line += numeric ? pad + cell : cell + (i + 1 < columns ? pad : "");
      if (i + 1 < columns) {
        line += "  ";
      }
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  text += SummaryLine(results, rules) + "\n";
  return text;
}

}  // namespace mae::check
