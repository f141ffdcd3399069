#include "report_marks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace mae::check {

namespace {

// More regions than this are marked by the ticks alone.
constexpr std::size_t kMostBoxes = 64;
// Saturated red: nothing else on a passing case's section is this red.
const char kMarkRed[] = "#ff0000";

std::string Rect(double x, double y, double w, double h, bool filled) {
  char text[160];
  std::snprintf(text, sizeof text,
                filled ? "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"%s\"/>"
                       : "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
                         "stroke=\"%s\" stroke-width=\"2\"/>",
                x, y, w, h, kMarkRed);
  return text;
}

// Ticks along one edge at every run of flagged lines, each at least two
// drawn pixels long, so that one differing row or column shows.
std::string Ticks(const std::vector<unsigned char>& lines, double scale, bool rows) {
  std::string svg;
  for (std::size_t i = 0; i < lines.size();) {
    if (lines[i] == 0) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < lines.size() && lines[end] != 0) {
      ++end;
    }
    const double at = kGutter + static_cast<double>(i) * scale;
    const double length = std::max(2.0, static_cast<double>(end - i) * scale);
    svg += rows ? Rect(0, at, kGutter - 2, length, true) : Rect(at, 0, length, kGutter - 2, true);
    i = end;
  }
  return svg;
}

// Outlines around the differing regions: runs of differing cells along a
// row of cells, a run joined with the one just above it when they span the
// same cells; each at least eight drawn pixels wide. None when there are
// too many to help.
std::string Boxes(const DiffMarks& m, double scale, long long w, long long h) {
  struct Box {
    std::uint32_t x0, x1, y0, y1;  // cells [x0, x1) x [y0, y1)
  };
  std::vector<Box> boxes;
  std::vector<std::size_t> above;  // boxes that reach the row above
  for (std::uint32_t cy = 0; cy < m.cells_down && boxes.size() <= kMostBoxes; ++cy) {
    std::vector<std::size_t> here;
    for (std::uint32_t cx = 0; cx < m.cells_across;) {
      if (m.cells[std::size_t{cy} * m.cells_across + cx] == 0) {
        ++cx;
        continue;
      }
      std::uint32_t end = cx;
      while (end < m.cells_across && m.cells[std::size_t{cy} * m.cells_across + end] != 0) {
        ++end;
      }
      const auto same = std::find_if(above.begin(), above.end(), [&](std::size_t i) {
        return boxes[i].x0 == cx && boxes[i].x1 == end;
      });
      if (same != above.end()) {
        boxes[*same].y1 = cy + 1;
        here.push_back(*same);
      } else {
        boxes.push_back({cx, end, cy, cy + 1});
        here.push_back(boxes.size() - 1);
      }
      cx = end;
    }
    above = here;
  }
  std::string svg;
  if (boxes.size() > kMostBoxes) {
    return svg;
  }
  const double cell = DiffMarks::kMarkCell * scale;
  for (const Box& b : boxes) {
    const double x = std::max(0.0, b.x0 * cell - 3), y = std::max(0.0, b.y0 * cell - 3);
    const double bw = std::min(static_cast<double>(w) - x, std::max(8.0, (b.x1 - b.x0) * cell + 6));
    const double bh = std::min(static_cast<double>(h) - y, std::max(8.0, (b.y1 - b.y0) * cell + 6));
    svg += Rect(kGutter + x, kGutter + y, bw, bh, false);
  }
  return svg;
}

}  // namespace

std::string MarksSvg(const DiffMarks& marks, double scale, long long w, long long h) {
  return Ticks(marks.rows, scale, true) + Ticks(marks.columns, scale, false) +
         Boxes(marks, scale, w, h);
}

}  // namespace mae::check
