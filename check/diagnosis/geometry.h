// The mistakes that move a picture's pixels: swapped channels, flips, a
// turn, small shifts, rows and columns exchanged, differences only near the
// edge. Each is held to a limit on the mean difference it leaves, and
// given up as soon as the rows read prove it fails.
#ifndef MAE_CHECK_GEOMETRY_H
#define MAE_CHECK_GEOMETRY_H

#include <cstdint>

#include "findings.h"
#include "image_view.h"

namespace mae::check {

// Shifts are tried up to this many pixels each way.
inline constexpr int kMaxShift = 2;
// Borders (differences near the edge, a border left out) up to this deep.
inline constexpr std::uint32_t kMaxBorder = 8;

// The smallest N for which every differing pixel of the w x h common area
// (both pictures' bottom rows) lies within N pixels of its edge, or 0 when
// some lies deeper than kMaxBorder.
std::uint32_t BorderDepth(const ImageView& o, const ImageView& r, std::uint32_t w, std::uint32_t h);

// A floor under the mean difference any rearrangement of the reference's
// bytes leaves; 0 where `limit` is below 1 (not worth a pass).
double RearrangedFloor(const ImageView& o, const ImageView& r, double limit);

// The output is the reference with rows and columns exchanged, as seen or
// (`storage`) as stored, red and blue swapped or not, within `limit`.
bool TransposedWithin(const ImageView& o, const ImageView& r, bool storage, bool swap,
                      double limit);

// Swapped channels, flips, the turn and shifts of a picture the size of
// its reference, into *f; `floor` is RearrangedFloor's.
void SameSizeMistakes(const ImageView& o, const ImageView& r, double limit, double floor,
                      Findings* f);

}  // namespace mae::check

#endif  // MAE_CHECK_GEOMETRY_H
