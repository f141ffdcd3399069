// The sums the diagnoses are proved with: the absolute differences
// between a picture and what an explanation predicts for it, over an area,
// given up as soon as the rows read pass what the whole area may hold.
#ifndef MAE_CHECK_BOUNDED_SUM_H
#define MAE_CHECK_BOUNDED_SUM_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "image_view.h"
#include "sum_abs_diff.h"

namespace mae::check {

// A pixel of `image` at (x, y), top row first.
inline const unsigned char* At(const ImageView& image, std::uint32_t x, std::uint32_t y) {
  return image.row(image.height - 1 - y) + std::size_t{x} * kComparedPixelBytes;
}

inline unsigned Diff(unsigned char a, unsigned char b) {
  return static_cast<unsigned>(std::abs(int{a} - int{b}));
}

// The sum of row_sum(y, x0, x1), the absolute differences of a row's
// bytes from x0 to x1, over every `step`th row of the area from y0; or
// nothing once it passes `budget`.
template <typename RowSum>
bool SumWithin(std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
               std::uint32_t step, double budget, const RowSum& row_sum, std::uint64_t* sum) {
  *sum = 0;
  for (std::uint32_t y = y0; y < y1; y += step) {
    *sum += row_sum(y, x0, x1);
    if (static_cast<double>(*sum) > budget) {
      return false;
    }
  }
  return true;
}

// The sum of the absolute differences between a row of the output, from
// pixel x0 to x1, and the pixels an explanation predicts for it:
// predict(p, x) writes the 3 bytes it expects at x into p. The prediction
// goes a piece at a time into a buffer on the stack, and the fast pass of
// the comparison sums each piece.
template <typename Predict>
std::uint64_t PredictedRowSum(const unsigned char* out_row, std::uint32_t x0, std::uint32_t x1,
                              const Predict& predict) {
  constexpr std::uint32_t kPiece = 256;  // pixels
  unsigned char piece[kPiece * kComparedPixelBytes];
  std::uint64_t sum = 0;
  for (std::uint32_t x = x0; x < x1; x += kPiece) {
    const std::uint32_t n = std::min(kPiece, x1 - x);
    for (std::uint32_t i = 0; i < n; ++i) {
      predict(piece + std::size_t{i} * kComparedPixelBytes, x + i);
    }
    sum += SumAbsDiff(out_row + std::size_t{x} * kComparedPixelBytes, piece,
                      std::size_t{n} * kComparedPixelBytes);
  }
  return sum;
}

// Whether the mean of err(x, y, k), the difference between the output and
// what an explanation predicts, stays at most `limit` over the area; its
// mean in *mean when it does. A tall area is first summed on every eighth
// row, which rules an explanation out at a fraction of a pass's cost when
// those rows alone already pass what the whole area may hold: a proof, as
// the other rows only add, never a guess from the sample.
template <typename Err>
bool MeanWithin(std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
                double limit, const Err& err, double* mean) {
  constexpr std::uint32_t kSample = 8;
  const double count = static_cast<double>(x1 - x0) * (y1 - y0) * kComparedPixelBytes;
  if (count <= 0) {
    return false;
  }
  const double budget = limit * count;
  std::uint64_t sum = 0;
  if (y1 - y0 >= 8 * kSample && !SumWithin(x0, y0, x1, y1, kSample, budget, err, &sum)) {
    return false;
  }
  if (!SumWithin(x0, y0, x1, y1, 1, budget, err, &sum)) {
    return false;
  }
  *mean = static_cast<double>(sum) / count;
  return true;
}

}  // namespace mae::check

#endif  // MAE_CHECK_BOUNDED_SUM_H
