// mae-check's report: the marks that keep a defect visible.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "picture.h"
#include "report_marks.h"

namespace {

using namespace mae::check;

struct Rect {
  double x, y, width, height;
  std::string fill;
};

// The rectangles of the marks' SVG, by their attributes.
std::vector<Rect> Rects(const std::string& svg) {
  static const std::regex rect(
      R"re(<rect x="([-0-9.]+)" y="([-0-9.]+)" width="([-0-9.]+)" height="([-0-9.]+)" fill="([^"]*)")re");
  std::vector<Rect> rects;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    rects.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
  }
  return rects;
}

// One differing row of a picture drawn at 0.3 of its size: its tick lies
// in the gutter on the left at that row's drawn place, two drawn pixels
// long, not the 0.3 pixel the row itself would take.
TEST(Pictures, TicksOneDifferingRowOnTheEdgeAtAVisibleLength) {
  DiffMarks marks;
  marks.rows.assign(10, 0);
  marks.rows[5] = 1;
  marks.columns.assign(4, 0);
  const std::vector<Rect> rects = Rects(MarksSvg(marks, 0.3, 1, 3));
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].x, 0);
  EXPECT_LE(rects[0].width, kGutter);
  EXPECT_NEAR(rects[0].y, kGutter + 5 * 0.3, 0.05);
  EXPECT_EQ(rects[0].height, 2);
  EXPECT_EQ(rects[0].fill, "#ff0000");
}

}  // namespace
