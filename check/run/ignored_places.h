// An exercise's ignored rectangles, given on the reference picture (top-left
// origin), placed where each step of a case needs them: the comparison's
// rows, the compared area's picture and the difference picture.
#ifndef MAE_CHECK_IGNORED_PLACES_H
#define MAE_CHECK_IGNORED_PLACES_H

#include <cstdint>
#include <vector>

#include "case_result.h"
#include "compare.h"
#include "image_view.h"
#include "ssim.h"

namespace mae::check {

struct IgnoredArea {
  std::vector<AreaRect> compared;    // CompareOptions::ignore
  std::vector<PixelRect> in_area;    // on the compared area, top-left origin (SSIM)
  std::vector<PixelRect> in_common;  // on the common area, border included (pictures)

  bool empty() const { return compared.empty(); }
};

// Where `rects` fall when an output of size `out` is compared with a
// reference of size `ref`, `border` pixels left out: the common area is
// both pictures' lower-left corner. Parts outside it are dropped.
IgnoredArea PlaceIgnored(const std::vector<PixelRect>& rects, const Size& out, const Size& ref,
                         std::uint32_t border);

// A copy of `output`'s rows (packed) in which the pixels of `in_common` take
// `reference`'s values, so that a closer look finds nothing there; both
// views are mapped files, read under the SIGBUS guard. Empty when a file
// shrank meanwhile.
std::vector<unsigned char> OutputWithIgnoredAsReference(const ImageView& output,
                                                        const ImageView& reference,
                                                        const std::vector<PixelRect>& in_common);

}  // namespace mae::check

#endif  // MAE_CHECK_IGNORED_PLACES_H
