// mae-check's report: the marks that keep a defect visible; the web page's
// policy and its data, whatever a title or file holds.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "digest.h"
#include "picture.h"
#include "report_marks.h"
#include "web_page_html.h"

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

// The page's policy names every inline script and its style by their
// hash, byte for byte; a title and data that try to close the element
// they are in stay text.
TEST(WebPage, PolicyHashesEveryInlinePartAndDataCannotCloseItsElement) {
  WebPageParts parts;
  parts.title = "</title><script>alert(1)</script>";
  parts.version = "1.0.0";
  parts.rules = "a rule";
  parts.core_script = "var createMaeCheck = function () {};";
  parts.data_json = R"({"exercise":"title = '</script><script>alert(2)</script>'"})";
  const std::string html = WebPageHtml(parts);
  const std::smatch policy = [&] {
    std::smatch m;
    std::regex_search(html, m, std::regex("Content-Security-Policy\" content=\"([^\"]*)\""));
    return m;
  }();
  ASSERT_FALSE(policy.empty());
  const std::string rules = policy[1];
  EXPECT_EQ(rules.rfind("default-src 'none'; ", 0), 0u) << rules;
  static const std::regex element(R"re(<(script|style)>([\s\S]*?)</\1>)re");
  int hashed = 0;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), element);
       it != std::sregex_iterator(); ++it, ++hashed) {
    EXPECT_NE(rules.find("'sha256-" + Sha256Base64((*it)[2]) + "'"), std::string::npos)
        << "not in the policy: <" << (*it)[1] << "> " << hashed;
  }
  EXPECT_EQ(hashed, 4);  // the style, the report's script, the core, the page's script
  EXPECT_EQ(html.find("<script>alert"), std::string::npos);
  EXPECT_NE(html.find(R"(\u003c/script>\u003cscript>alert(2)\u003c/script>)"), std::string::npos);
  EXPECT_EQ(html.find("<title></title>"), std::string::npos);
}

}  // namespace
