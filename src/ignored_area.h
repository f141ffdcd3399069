// The rectangles left out of a comparison: which pixels of a compared row
// they leave out, and how many pixels of the compared area they cover
// together.
#ifndef MAE_IGNORED_AREA_H
#define MAE_IGNORED_AREA_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mae {

// A rectangle of the compared area left out of every figure: pixels
// [x0, x1) of compared rows [row0, row1), counted as the visitor counts
// them (row 0 the first compared row in the file, pixel 0 the first
// compared pixel, inside the border). It may reach past the area, which
// clips it; an empty one leaves nothing out.
struct AreaRect {
  std::uint64_t x0 = 0, x1 = 0, row0 = 0, row1 = 0;
};

// The first kept pixel of compared row `row` at or after pixel x: x itself
// when no rectangle covers it, else the end of the ignored span x lies in,
// however many overlapping rectangles make it up. May lie past the row.
std::uint64_t EndOfIgnored(const AreaRect* rects, std::size_t count, std::uint64_t row,
                           std::uint64_t x);

// The first pixel after x of compared row `row` that a rectangle covers,
// or `end` when none does before it.
std::uint64_t NextIgnored(const AreaRect* rects, std::size_t count, std::uint64_t row,
                          std::uint64_t x, std::uint64_t end);

// Calls fn(x, n) for each kept span of pixels [begin, end) of compared row
// `row`, in order: n > 0 pixels from pixel x. It allocates and owns
// nothing, so it may run where a SIGBUS jumps out of the pass.
template <typename Fn>
void ForEachKeptSpan(const AreaRect* rects, std::size_t count, std::uint64_t row,
                     std::uint64_t begin, std::uint64_t end, Fn&& fn) {
  std::uint64_t x = begin;
  while (x < end) {
    x = EndOfIgnored(rects, count, row, x);
    if (x >= end) {
      return;
    }
    const std::uint64_t next = NextIgnored(rects, count, row, x, end);
    fn(x, next - x);
    x = next;
  }
}

// The pixels of a width x height compared area that at least one of the
// rectangles covers, each counted once: rectangles are clipped to the area.
std::uint64_t IgnoredPixels(const std::vector<AreaRect>& rects, std::uint64_t width,
                            std::uint64_t height);

}  // namespace mae

#endif  // MAE_IGNORED_AREA_H
