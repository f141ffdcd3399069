// Running the test cases: each compared, judged and, when asked for,
// pictured; several at a time.
#ifndef MAE_CHECK_RUN_CASES_H
#define MAE_CHECK_RUN_CASES_H

#include <cstdint>
#include <vector>

#include "case_pictures.h"
#include "case_result.h"
#include "case_rules.h"
#include "decoded_file.h"
#include "shared_pictures.h"

namespace mae::check {

struct RunOptions {
  CaseRules rules;                 // thresholds, points, border
  bool keep_diff_picture = false;  // keep diff_picture (PrairieLearn draws from it)
  bool diff_pictures = false;      // make diff_png, at full size (--diff)
  bool whole_pictures = false;     // make the report's pictures
  bool smaller_pictures = false;   // compress them harder (a class's kept pages)
  bool diagnose = true;            // say what looks wrong with a failing case
  bool hash_outputs = false;       // a failing case's output_hash, to find identical ones
  std::uint64_t max_pixels = kDefaultMaxPixels;  // the largest picture decoded
};

// Runs every case, each on the next free processor; the results come in
// the cases' order, and with `pictures` the pictures asked for, one
// CasePictures a case. Each output is opened once, and it and its decoded
// copy live only while its case runs; the references and inputs are read
// through `shared`, which opens each once for as long as it lives (a
// folder run's, or a whole class's).
std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options,
                                 SharedPictures* shared,
                                 std::vector<CasePictures>* pictures = nullptr);

}  // namespace mae::check

#endif  // MAE_CHECK_RUN_CASES_H
