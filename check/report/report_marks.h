// The red marks that keep a difference picture's defects visible at any
// drawn size.
#ifndef MAE_CHECK_REPORT_MARKS_H
#define MAE_CHECK_REPORT_MARKS_H

#include <string>

#include "picture.h"

namespace mae::check {

// Room left of and above the drawn difference picture for the ticks.
constexpr int kGutter = 8;

// SVG shapes for a difference picture drawn `w` x `h` at `scale` drawn
// pixels per picture pixel, placed kGutter in: ticks along the top and
// left edges at every differing column and row, and outlines around the
// differing regions (none when more than 64).
std::string MarksSvg(const DiffMarks& marks, double scale, long long w, long long h);

}  // namespace mae::check

#endif  // MAE_CHECK_REPORT_MARKS_H
