// The samples' small drawn landscape: a lake, rolling hills, mountains with
// snow on the high peaks, a sun and its glow in the sky, with deterministic
// noise, all in integer arithmetic.
#ifndef MAE_EXAMPLES_LANDSCAPE_H
#define MAE_EXAMPLES_LANDSCAPE_H

#include "testkit/bmp_bytes.h"

namespace examples {

inline constexpr int kLandscapeWidth = 240;  // 720 bytes a row: a multiple of 4, so no padding
inline constexpr int kLandscapeHeight = 160;

// The landscape's pixels in packed BMP rows: bottom row first, each pixel
// as blue, green, red.
bmptest::Bytes DrawLandscape();

}  // namespace examples

#endif  // MAE_EXAMPLES_LANDSCAPE_H
