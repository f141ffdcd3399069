// The test cases mae-check runs and what became of each: a verdict, its
// reason in words, the figures, and the pictures asked for.
#ifndef MAE_CHECK_CASES_H
#define MAE_CHECK_CASES_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compare.h"

struct Case {
  std::string name;    // "Blur1"; for one pair, the output's base name without .bmp
  std::string output;  // paths as opened
  std::string reference;
};

// The ten test cases under `dir`: dir/Blur1.bmp against dir/ANS/Blur1.bmp ...
std::vector<Case> TenCases(const std::string& dir);
// One pair given on the command line.
Case OnePair(const std::string& output, const std::string& reference);

enum class Verdict { kPass, kFail, kError };
const char* VerdictWord(Verdict verdict);

using Size = std::pair<std::uint32_t, std::uint32_t>;  // width, height

struct CaseResult {
  Case c;
  Verdict verdict = Verdict::kError;
  std::string reason;  // empty on pass
  Comparison comparison;
  std::optional<Size> output_size;  // when that file's header could be read
  std::optional<Size> reference_size;
  // PNG files' bytes, when asked for: the difference picture of the
  // compared area, and (for the report) both whole pictures.
  std::string diff_png;
  std::string output_png;
  std::string reference_png;
  std::string picture_error;  // why a picture asked for could not be made
};

struct RunOptions {
  double max = 0.0;             // a case passes when its MAE is at most this
  bool diff_pictures = false;   // make diff_png
  bool whole_pictures = false;  // make output_png and reference_png
  unsigned threads = 0;         // 0: one per processor
};

// Runs every case, several at a time; the results come in the cases' order.
std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options);

#endif  // MAE_CHECK_CASES_H
