// What is wrong in words: the usual mistakes of a blur or Sobel program,
// each tested against the two images of a case that does not pass.
#ifndef MAE_CHECK_DIAGNOSIS_H
#define MAE_CHECK_DIAGNOSIS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "case_result.h"

// A 24-bit image, bottom row first, `stride` bytes from one row to the
// next (0: packed rows, as LoadBmp gives them).
struct ImageView {
  const unsigned char* pixels = nullptr;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t stride = 0;

  const unsigned char* row(std::size_t file_row) const {
    return pixels + file_row * (stride != 0 ? stride : std::size_t{width} * 3);
  }
};

// What the tests found, without any allocation (so that they can run
// inside RunCatchingSigbus over mapped files).
struct Findings {
  bool channels_swapped = false;
  bool flipped_vertically = false;
  bool flipped_horizontally = false;
  bool shifted = false;
  int dx = 0;
  int dy = 0;
  bool transposed = false;
  std::uint32_t border = 0;  // 0, or the depth of the frame that holds every difference
  bool rounding = false;
  int offset = 0;
  bool grey_output = false;
  bool grey_reference = false;
};

void FindMistakes(const ImageView& output, const ImageView& reference, double mae, unsigned largest,
                  Findings* findings);
std::vector<Diagnosis> Describe(const Findings& findings);

// The explanations that hold for an output and its reference whose MAE
// over the area they share is `mae` and whose largest byte difference is
// `largest`, in this order: channels_swapped, flipped_vertically,
// flipped_horizontally, shifted, transposed, border_only, rounding,
// offset, grey_output / grey_reference. An explanation holds when undoing
// it leaves at most a tenth of the MAE (transposed: nothing; border_only:
// every difference within 8 pixels of the edge; rounding: a largest
// difference of 1; offset: one amount explains every differing byte).
// Tests stop as soon as they fail, so a wrong guess costs a few rows.
std::vector<Diagnosis> Diagnose(const ImageView& output, const ImageView& reference, double mae,
                                unsigned largest);

// A hash of the pixels (and the size), the same for files that differ
// only in their headers or bytes after the pixels.
std::uint64_t PixelHash(const ImageView& image);

#endif  // MAE_CHECK_DIAGNOSIS_H
