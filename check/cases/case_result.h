// What became of one test case: its verdict, the reason in words, the
// figures and what looks wrong. Its pictures are kept apart
// (pictures/case_pictures.h), so that they can be dropped at once.
#ifndef MAE_CHECK_CASE_RESULT_H
#define MAE_CHECK_CASE_RESULT_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "case_list.h"
#include "compare.h"
#include "exercise_model.h"
#include "file_kind.h"

namespace mae::check {

// One explanation of what looks wrong with a failing case.
struct Diagnosis {
  std::string code;  // "channels_swapped", ...: stable, for scripts
  std::string text;  // "red and blue are swapped"
};

enum class Verdict { kPass, kFail, kError };

// How many cases passed, failed and had an error.
struct Counts {
  std::size_t passed = 0;
  std::size_t failed = 0;
  std::size_t errors = 0;

  std::size_t total() const { return passed + failed + errors; }
  void Add(Verdict verdict) {
    ++(verdict == Verdict::kPass ? passed : verdict == Verdict::kFail ? failed : errors);
  }
};

using Size = std::pair<std::uint32_t, std::uint32_t>;  // width, height

struct CaseResult {
  Case test_case;
  Verdict verdict = Verdict::kError;
  std::string reason;    // empty on pass
  std::string note;      // said whatever the verdict ("output rows packed, ..."); may be empty
  double max_mae = 0.0;  // the threshold this case was held to
  double points = 1.0;   // what it is worth when it passes
  double earned = 0.0;   // points on pass, else 0
  std::vector<Diagnosis> diagnosis;          // what looks wrong, for a case that fails
  std::optional<std::uint64_t> output_hash;  // of the output's pixels, when asked for
  std::vector<std::string> identical_to;     // others' byte-identical failing outputs
  std::optional<double> ssim;                // when computed, of a compared area of 11 x 11 or more
  MetricSet metrics;                         // the figures beside the MAE that documents show
  Visibility visibility = Visibility::kVisible;  // where a platform shows the case
  Comparison comparison;
  std::optional<Size> output_size;  // when that file's header could be read
  std::optional<Size> reference_size;
  // What each file is (kUnknown: not a format this knows); a file in
  // another format than a bottom-up 24-bit BMP is compared through a
  // decoded copy, or has the reason it could not be decoded.
  FileKind output_kind;
  FileKind reference_kind;
  std::string output_decode_error;
  std::string reference_decode_error;
  // How each file lays its rows out (a decoded file's own rows; kNone for
  // RLE and PNG, whose rows do not lie in place).
  RowLayout output_layout = RowLayout::kNone;
  RowLayout reference_layout = RowLayout::kNone;
};

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_RESULT_H
