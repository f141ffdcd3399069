// Ignored rectangles drawn on a difference picture: diagonal grey stripes,
// which no difference colour uses, so that they read as "not compared".
#ifndef MAE_CHECK_HATCH_H
#define MAE_CHECK_HATCH_H

#include <vector>

#include "picture.h"
#include "ssim.h"

namespace mae::check {

// Hatches each of `rects` (top-left origin, inside the picture) on *p.
void Hatch(const std::vector<PixelRect>& rects, Picture* p);

}  // namespace mae::check

#endif  // MAE_CHECK_HATCH_H
