// What is wrong in words: the usual mistakes of a blur or Sobel program,
// each tested against the two images of a case that does not pass.
#ifndef MAE_CHECK_DIAGNOSIS_H
#define MAE_CHECK_DIAGNOSIS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bmp_header.h"
#include "case_result.h"
#include "image_view.h"

namespace mae::check {

// What the tests found, without any allocation (so that they can run
// inside RunCatchingSigbus over mapped files).
struct Findings {
  bool channels_swapped = false;
  bool flipped_vertically = false;
  bool flipped_horizontally = false;
  bool rotated_180 = false;  // upside down and mirrored: turned half round
  bool shifted = false;
  int dx = 0;
  int dy = 0;
  bool transposed = false;
  std::uint32_t border = 0;    // 0, or the depth of the frame that holds every difference
  std::uint32_t left_out = 0;  // 0, or the border a "valid" convolution left out
  bool rounding = false;
  bool no_clamping = false;  // values wrapped round past 0 and 255
  int offset = 0;
  bool grey_output = false;
  bool grey_reference = false;
};

// Tests the explanations that may hold for an output and its reference
// whose MAE over the area they share is `mae` and whose largest byte
// difference is `largest`. An explanation holds when undoing it leaves at
// most a tenth of the MAE (transposed: nothing; border_only: every
// difference within 8 pixels of the edge; rounding: a largest difference
// of 1; offset: one amount explains every differing byte; no_clamping:
// bytes the reference has at 255 and the output below 128, or at 0 and
// above 127, make nine tenths of the differences; grey_output and
// grey_reference: one picture grey, each pixel's bytes within 1, and the
// other's pixels set to their mean or their BT.601 luma within the tenth
// of it). Where no single
// mistake holds, red and blue swapped together with a flip, a shift or a
// transposition is tried, and said as both. Tests stop as soon as the rows
// read prove they fail, so a wrong guess costs a few rows.
void FindMistakes(const ImageView& output, const ImageView& reference, double mae, unsigned largest,
                  Findings* findings);
// Every explanation, in the order they are said: its code and its words,
// N standing for the numbers found (shifted: left or right, up or down;
// offset: too high or too low) and CASE for a case's name. All but
// matches_other_case and not_filtered, which look at other pictures than
// the case's two (run_cases.cpp), come from Describe.
// `brief` is the words a class table's column has room for.
struct DiagnosisWords {
  const char* code;
  const char* words;
  const char* brief;
};
inline constexpr DiagnosisWords kDiagnoses[] = {
    {"channels_swapped", "red and blue are swapped", "red and blue swapped"},
    {"flipped_vertically", "the rows are upside down", "rows upside down"},
    {"flipped_horizontally", "the picture is mirrored left to right", "mirrored"},
    {"rotated_180", "the picture is turned 180 degrees (upside down and mirrored)", "turned 180"},
    {"shifted", "shifted right by N pixels and down by N", "shifted"},
    {"transposed", "width and height are swapped (rows and columns exchanged)", "transposed"},
    {"border_only", "differs only within N pixels of the edge", "border only"},
    {"border_left_out", "leaves out a border of N pixels, the reference's inside otherwise",
     "border left out"},
    {"rounding", "every difference is 1 (rounding)", "rounding"},
    {"no_clamping", "values wrap round past 0 and 255 instead of stopping there", "no clamping"},
    {"offset", "every value is N too high, as far as 0\u2013255 allows", "values offset"},
    {"matches_other_case", "matches the reference of CASE", "another case's answer"},
    {"not_filtered", "is the input picture itself, not filtered", "not filtered"},
    {"grey_output", "the output is grey, the reference in colour", "grey output"},
    {"grey_reference", "the reference is grey, the output in colour", "grey reference"},
};

// The entry of a diagnosis code; null for a code that is none of them.
const DiagnosisWords* DiagnosisFor(const std::string& code);

// The findings in words, in the order of kDiagnoses.
std::vector<Diagnosis> Describe(const Findings& findings);

// Adds `d` to `list` in the order of kDiagnoses.
void AddDiagnosis(Diagnosis d, std::vector<Diagnosis>* list);

// Which of `count` pictures others[k], each of a's size, differ from `a` by
// a mean of at most `limit` a byte: within[k] says. Reads a's rows once for
// all of them, and stops with each as soon as the rows read prove it
// differs by more. `sums` is room for `count` figures; nothing is allocated
// (so that it can run inside RunCatchingSigbus).
void MatchWithin(const ImageView& a, const ImageView* others, std::size_t count, double limit,
                 std::uint64_t* sums, bool* within);

// A hash of the pixels (and the size), the same for files that differ
// only in their headers or bytes after the pixels.
std::uint64_t PixelHash(const ImageView& image);

}  // namespace mae::check

#endif  // MAE_CHECK_DIAGNOSIS_H
