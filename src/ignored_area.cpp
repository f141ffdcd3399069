#include "ignored_area.h"

#include <algorithm>

namespace mae {

namespace {

bool CoversRow(const AreaRect& r, std::uint64_t row) {
  return r.row0 <= row && row < r.row1;
}

}  // namespace

std::uint64_t EndOfIgnored(const AreaRect* rects, std::size_t count, std::uint64_t row,
                           std::uint64_t x) {
  // Each jump moves x to a rectangle's right edge, strictly further on: a
  // chain of overlapping rectangles is crossed in as many rounds.
  for (bool moved = true; moved;) {
    moved = false;
    for (std::size_t i = 0; i < count; ++i) {
      const AreaRect& r = rects[i];
      if (CoversRow(r, row) && r.x0 <= x && x < r.x1) {
        x = r.x1;
        moved = true;
      }
    }
  }
  return x;
}

std::uint64_t NextIgnored(const AreaRect* rects, std::size_t count, std::uint64_t row,
                          std::uint64_t x, std::uint64_t end) {
  for (std::size_t i = 0; i < count; ++i) {
    const AreaRect& r = rects[i];
    if (CoversRow(r, row) && r.x0 < r.x1 && x < r.x0 && r.x0 < end) {
      end = r.x0;
    }
  }
  return end;
}

std::uint64_t IgnoredPixels(const std::vector<AreaRect>& rects, std::uint64_t width,
                            std::uint64_t height) {
  // Between two consecutive row edges every row is covered alike: count
  // one row of each such band and multiply.
  std::vector<std::uint64_t> edges;
  for (const AreaRect& r : rects) {
    if (r.row0 < r.row1 && r.row0 < height && r.x0 < r.x1 && r.x0 < width) {
      edges.push_back(r.row0);
      edges.push_back(std::min(r.row1, height));
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::uint64_t total = 0;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    std::uint64_t covered = 0;
    for (std::uint64_t x = 0; x < width;) {
      const std::uint64_t kept =
          std::min(EndOfIgnored(rects.data(), rects.size(), edges[i], x), width);
      covered += kept - x;
      x = kept < width ? NextIgnored(rects.data(), rects.size(), edges[i], kept, width) : width;
    }
    total += covered * (edges[i + 1] - edges[i]);
  }
  return total;
}

}  // namespace mae
