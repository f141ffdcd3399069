// What the tests of a failing case found, before it is said in words.
#ifndef MAE_CHECK_FINDINGS_H
#define MAE_CHECK_FINDINGS_H

#include <cstdint>

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

}  // namespace mae::check

#endif  // MAE_CHECK_FINDINGS_H
