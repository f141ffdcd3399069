#include "hatch.h"

#include <algorithm>

namespace mae::check {

namespace {

// Stripes 4 pixels wide, light and dark in turn.
constexpr unsigned kStripe = 4;
constexpr unsigned char kLight = 224;
constexpr unsigned char kDark = 150;

}  // namespace

void DiffPainter::Hatch(const std::vector<PixelRect>& rects) {
  mae::check::Hatch(rects, &picture_);
}

void Hatch(const std::vector<PixelRect>& rects, Picture* p) {
  for (const PixelRect& r : rects) {
    const auto x_end =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(p->width, std::uint64_t{r.x} + r.width));
    const auto y_end = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(p->height, std::uint64_t{r.y} + r.height));
    for (std::uint32_t y = r.y; y < y_end; ++y) {
      unsigned char* row = p->rgb.data() + std::size_t{y} * p->width * 3;
      for (std::uint32_t x = r.x; x < x_end; ++x) {
        const unsigned char grey = ((x + y) / kStripe) % 2 == 0 ? kLight : kDark;
        std::fill_n(row + std::size_t{x} * 3, 3, grey);
      }
    }
  }
}

}  // namespace mae::check
