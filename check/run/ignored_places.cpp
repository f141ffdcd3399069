#include "ignored_places.h"

#include <algorithm>
#include <cstring>

#include "sigbus_guard.h"

namespace mae::check {

namespace {

// `r` moved up by `dy` and left by `dx` (either may be negative), clipped
// to a width x height picture; false when nothing of it is left.
bool Clip(const PixelRect& r, std::int64_t dx, std::int64_t dy, std::uint32_t width,
          std::uint32_t height, PixelRect* out) {
  const std::int64_t x0 = std::max<std::int64_t>(0, std::int64_t{r.x} - dx);
  const std::int64_t y0 = std::max<std::int64_t>(0, std::int64_t{r.y} - dy);
  const std::int64_t x1 = std::min<std::int64_t>(width, std::int64_t{r.x} + r.width - dx);
  const std::int64_t y1 = std::min<std::int64_t>(height, std::int64_t{r.y} + r.height - dy);
  if (x0 >= x1 || y0 >= y1) {
    return false;
  }
  *out = PixelRect{static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0),
                   static_cast<std::uint32_t>(x1 - x0), static_cast<std::uint32_t>(y1 - y0)};
  return true;
}

struct Patch {
  ImageView output;
  ImageView reference;
  const std::vector<PixelRect>* rects;
  std::uint32_t common_height;
  unsigned char* copy;
};

// Runs under the SIGBUS guard: copies and patches into memory allocated
// before, owning nothing.
void CopyAndPatch(void* context) {
  const Patch& p = *static_cast<Patch*>(context);
  const std::size_t row_bytes = std::size_t{p.output.width} * kComparedPixelBytes;
  for (std::uint32_t row = 0; row < p.output.height; ++row) {
    std::memcpy(p.copy + row * row_bytes, p.output.row(row), row_bytes);
  }
  for (const PixelRect& r : *p.rects) {
    for (std::uint32_t y = r.y; y < r.y + r.height; ++y) {
      const std::size_t row = p.common_height - 1 - y;  // both are bottom-aligned
      std::memcpy(p.copy + row * row_bytes + std::size_t{r.x} * kComparedPixelBytes,
                  p.reference.row(row) + std::size_t{r.x} * kComparedPixelBytes,
                  std::size_t{r.width} * kComparedPixelBytes);
    }
  }
}

}  // namespace

IgnoredArea PlaceIgnored(const std::vector<PixelRect>& rects, const Size& out, const Size& ref,
                         std::uint32_t border) {
  IgnoredArea area;
  const std::uint32_t width = std::min(out.first, ref.first);
  const std::uint32_t height = std::min(out.second, ref.second);
  const std::int64_t above = std::int64_t{ref.second} - height;  // the reference's rows above
  const std::uint64_t frame = std::uint64_t{border} * 2;
  if (rects.empty() || width <= frame || height <= frame) {
    return area;
  }
  const auto inner_width = static_cast<std::uint32_t>(width - frame);
  const auto inner_height = static_cast<std::uint32_t>(height - frame);
  for (const PixelRect& r : rects) {
    PixelRect common;
    PixelRect inner;
    if (Clip(r, 0, above, width, height, &common)) {
      area.in_common.push_back(common);
    }
    if (Clip(r, border, above + border, inner_width, inner_height, &inner)) {
      area.in_area.push_back(inner);
      // The comparison counts rows from the compared area's bottom.
      area.compared.push_back(AreaRect{inner.x, std::uint64_t{inner.x} + inner.width,
                                       std::uint64_t{inner_height} - inner.y - inner.height,
                                       std::uint64_t{inner_height} - inner.y});
    }
  }
  return area;
}

std::vector<unsigned char> OutputWithIgnoredAsReference(const ImageView& output,
                                                        const ImageView& reference,
                                                        const std::vector<PixelRect>& in_common) {
  std::vector<unsigned char> copy(std::size_t{output.width} * output.height * kComparedPixelBytes);
  Patch patch{output, reference, &in_common, std::min(output.height, reference.height),
              copy.data()};
  if (RunCatchingSigbus(CopyAndPatch, &patch) != nullptr) {
    copy.clear();
  }
  return copy;
}

}  // namespace mae::check
