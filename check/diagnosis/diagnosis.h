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
#include "diagnosis_table.h"
#include "findings.h"
#include "image_view.h"

namespace mae::check {

// Tests the explanations that may hold for an output and its reference
// whose MAE over the area they share is `mae` and whose largest byte
// difference is `largest`. An explanation holds when undoing it leaves at
// most a tenth of the MAE (transposed: nothing; border_only: every
// difference within 8 pixels of the edge; rounding: a largest difference
// of 1; offset: one amount explains every differing byte; no_clamping:
// every differing byte is one the reference holds at 0 or 255, and not
// all lie within the border; grey_output and grey_reference: some byte
// differs by more than 1, one picture is grey, each pixel's bytes within
// 1, and the other's pixels set to their mean or their BT.601 luma are it
// within the tenth). Where no single mistake holds, red and blue swapped
// together with a flip, a shift or a transposition is tried, and said as
// both. Tests stop as soon as the rows read prove they fail, so a wrong
// guess costs a few rows.
void FindMistakes(const ImageView& output, const ImageView& reference, double mae, unsigned largest,
                  Findings* findings);

// The findings in words (the table's, the numbers found put in), in the
// table's order.
std::vector<Diagnosis> Describe(const Findings& findings);

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
