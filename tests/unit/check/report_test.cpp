// mae-check's report: the marks that keep a defect visible.
#include <gtest/gtest.h>

#include <string>

#include "picture.h"
#include "report_marks.h"

namespace {

using namespace mae::check;

// One differing row of a picture drawn at 0.3 of its size: its tick lies
// on the left edge at that row's drawn place, two drawn pixels long, not
// the 0.3 pixel the row itself would take.
TEST(Pictures, TicksOneDifferingRowOnTheEdgeAtAVisibleLength) {
  DiffMarks marks;
  marks.rows.assign(10, 0);
  marks.rows[5] = 1;
  marks.columns.assign(4, 0);
  const std::string svg = MarksSvg(marks, 0.3, 1, 3);
  EXPECT_EQ(svg, "<rect x=\"0.0\" y=\"9.5\" width=\"6.0\" height=\"2.0\" fill=\"#ff0000\"/>");
}

}  // namespace
