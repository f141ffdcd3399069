#include "text_report.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

enum Column { kCase, kVerdict, kMae, kMaxDiff, kDiffering, kReason, kColumns };
using Row = std::array<std::string, kColumns>;

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
  Row row;
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
  std::vector<Row> rows = {{"case", "verdict", "MAE", "max diff", "differing pixels", "reason"}};
  for (const CaseResult& r : results) {
    rows.push_back(RowOf(r));
  }
  std::array<std::size_t, kColumns> width{};
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < kColumns; ++i) {
      width[i] = std::max(width[i], ShownWidth(row[i]));
    }
  }
  std::string text;
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < kColumns; ++i) {
      const std::string& cell = row[i];
      const std::string pad(width[i] - ShownWidth(cell), ' ');
      // Numbers line up on the right, words on the left.
      const bool numeric = i == kMae || i == kMaxDiff || i == kDiffering;
      line += numeric ? pad + cell : cell + (i + 1 < kColumns ? pad : "");
      if (i + 1 < kColumns) {
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
