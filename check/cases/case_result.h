// What became of one test case: its verdict, the reason in words, the
// figures, and the pictures asked for.
#ifndef MAE_CHECK_CASE_RESULT_H
#define MAE_CHECK_CASE_RESULT_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "case_list.h"
#include "compare.h"
#include "diagnosis.h"
#include "picture.h"

enum class Verdict { kPass, kFail, kError };

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
  Comparison comparison;
  std::optional<Size> output_size;  // when that file's header could be read
  std::optional<Size> reference_size;
  // PNG files, when asked for: the difference picture of the compared
  // area (bytes), and for the report (as base64 text) both whole pictures,
  // the difference picture as drawn and the crops.
  std::string diff_png;  // full size, for --diff
  std::string output_png;
  std::string reference_png;
  std::string report_diff_png;  // as the report draws it
  std::string picture_error;    // why a picture asked for could not be made
  std::string diff_path;        // where diff_png was written, once it was
  Picture diff_picture;         // the difference picture itself, when kept
  DiffMarks diff_marks;         // where it differs, with the pictures
  // For the report: 1, or the step the pictures were scaled down by to fit
  // kLargestDrawnSide; then full-resolution crops of both pictures around
  // the largest difference, from (crop_x, crop_y) of the common area.
  std::uint32_t picture_step = 1;
  std::string crop_output_png;
  std::string crop_reference_png;
  std::uint32_t crop_x = 0;
  std::uint32_t crop_y = 0;
};

#endif  // MAE_CHECK_CASE_RESULT_H
