// mae-check's cases layer: a case's verdict and the words for it, from its
// comparison and the rules; the summary line.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "summary.h"
#include "verdict.h"

namespace {

using namespace mae;
using namespace mae::check;

// A compared case: an output and a reference of the given sizes whose
// compared area (the smaller of each) differs by `sum` over its bytes.
CaseResult Compared(Size out, Size ref, std::uint64_t sum, unsigned largest = 0) {
  CaseResult r;
  r.test_case.name = "Blur1";
  r.test_case.output = "s/Blur1.bmp";
  r.test_case.reference = "s/ANS/Blur1.bmp";
  Comparison& c = r.comparison;
  c.a.fields_read = c.b.fields_read = true;
  c.a.header.width = out.first;
  c.a.header.height = out.second;
  c.b.header.width = ref.first;
  c.b.header.height = ref.second;
  c.width = std::min(out.first, ref.first);
  c.height = std::min(out.second, ref.second);
  c.state = c.width * c.height == 0 ? CompareState::kEmptyArea : CompareState::kCompared;
  c.sum = sum;
  c.max_difference = largest;
  r.output_size = out;
  r.reference_size = ref;
  return r;
}

TEST(Cases, JudgeGivesEachVerdictItsWords) {
  CaseRules strict_rules;
  strict_rules.strict = true;
  CaseRules loose;
  loose.default_max = 0.5;
  loose.max_patterns.push_back({"Blur*", 2.0});
  loose.default_points = 3;
  CaseRules largest;
  largest.default_max = 100;
  largest.max_difference = 10;
  CaseRules border;
  border.border = 2;

  CaseResult missing = Compared({4, 1}, {4, 1}, 0);
  missing.comparison.state = CompareState::kRefused;
  missing.comparison.a.status = BmpStatus::kCannotOpen;
  missing.comparison.a.open_error = ENOENT;
  missing.test_case.hint = "the closest name there is blur1.bmp.bmp";
  CaseResult undecodable = Compared({4, 1}, {4, 1}, 0);
  undecodable.comparison.state = CompareState::kRefused;
  undecodable.output_decode_error = "is an 8-bit BMP with a palette that uses colour 9 of 2";
  CaseResult decoded = Compared({4, 1}, {4, 1}, 0);
  decoded.output_kind = {ImageFormat::kBmp32, false};
  CaseResult emptied = Compared({4, 4}, {4, 4}, 0);
  emptied.comparison.state = CompareState::kEmptyArea;
  emptied.comparison.emptied_by_border = true;
  CaseResult moved = Compared({4, 1}, {4, 1}, 0);
  moved.test_case.found_as = "sub/Blur1.bmp";
  CaseResult refused = moved;
  refused.test_case.problem = "output s/Blur1.bmp leads outside the submission";

  const struct {
    const char* what;
    CaseResult result;
    const CaseRules* rules;
    Verdict verdict;
    std::string reason;
    std::string note;
    double earned;
  } rows[] = {
      {"identical", Compared({4, 1}, {4, 1}, 0), nullptr, Verdict::kPass, "", "", 1},
      {"above the default", Compared({4, 1}, {4, 1}, 12), nullptr, Verdict::kFail,
       "MAE 1 above 0 (0–255 scale)", "", 0},
      {"a pattern's own threshold", Compared({4, 1}, {4, 1}, 24), &loose, Verdict::kPass, "", "",
       3},
      {"just above a pattern's threshold", Compared({4, 1}, {4, 1}, 25), &loose, Verdict::kFail,
       "MAE 2.08333 above 2 (0–255 scale)", "", 0},
      {"largest difference at its bound", Compared({4, 1}, {4, 1}, 10, 10), &largest,
       Verdict::kPass, "", "", 1},
      {"largest difference", Compared({4, 1}, {4, 1}, 11, 11), &largest, Verdict::kFail,
       "largest difference 11 above 10 (0–255 scale)", "", 0},
      {"sizes", Compared({3, 1}, {4, 1}, 0), nullptr, Verdict::kFail,
       "sizes differ: output 3x1, reference 4x1", "", 0},
      {"empty", Compared({0, 1}, {4, 1}, 0), nullptr, Verdict::kFail,
       "sizes differ: output 0x1, reference 4x1; nothing to compare: a width or height is 0", "",
       0},
      {"border", emptied, &border, Verdict::kFail, "nothing left inside the border", "", 0},
      {"missing", missing, nullptr, Verdict::kError,
       "output s/Blur1.bmp cannot be opened: No such file or directory; the closest name there is "
       "blur1.bmp.bmp",
       "", 0},
      {"undecodable", undecodable, nullptr, Verdict::kError,
       "output s/Blur1.bmp is an 8-bit BMP with a palette that uses colour 9 of 2", "", 0},
      {"decoded", decoded, nullptr, Verdict::kPass, "",
       "output is a 32-bit BMP; compared as 24-bit pixels", 1},
      {"decoded, strict", decoded, &strict_rules, Verdict::kFail,
       "output is a 32-bit BMP; --strict asks for 24-bit", "", 0},
      {"found elsewhere", moved, nullptr, Verdict::kPass, "", "found as sub/Blur1.bmp", 1},
      {"a case's own problem", refused, &loose, Verdict::kError,
       "output s/Blur1.bmp leads outside the submission", "", 0},
  };
  const CaseRules plain;
  for (const auto& row : rows) {
    const Judgement j = Judge(row.rules != nullptr ? *row.rules : plain, row.result);
    EXPECT_EQ(j.verdict, row.verdict) << row.what;
    EXPECT_EQ(j.reason, row.reason) << row.what;
    EXPECT_EQ(j.note, row.note) << row.what;
    EXPECT_EQ(j.earned, row.earned) << row.what;
  }
}

TEST(Cases, SummaryLineSaysTheRulesWithTheDigitsThatTellThemApart) {
  CaseRules rules;
  rules.default_max = 0.1234567;
  std::vector<CaseResult> results = {Compared({4, 1}, {4, 1}, 0),
                                     Compared({1000000, 1}, {1000000, 1}, 370371)};
  for (CaseResult& r : results) {
    const Judgement j = Judge(rules, r);
    r.verdict = j.verdict;
    r.reason = j.reason;
    r.max_mae = j.max_mae;
  }
  // 370371 / 3000000 = 0.123457, which six digits would print as the
  // threshold: seven tell them apart.
  EXPECT_EQ(results[1].reason, "MAE 0.123457 above 0.1234567 (0–255 scale)");
  EXPECT_EQ(SummaryLine(results, rules), "1 of 2 cases pass (MAE at most 0.1234567)");
  rules.max_difference = 3;
  rules.border = 1;
  rules.max_patterns.push_back({"Sobel*", 1});
  EXPECT_EQ(SummaryLine(results, rules),
            "1 of 2 cases pass (MAE at most 0.1234567, per-case thresholds, largest difference "
            "at most 3, border 1 left out)");
}

}  // namespace
