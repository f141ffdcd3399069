// The mean over the area two images share, as the comparison of files
// finds it.
#include "area_mean.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "compare.h"
#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

using bmptest::Bytes;

TEST(CommonAreaMean, ComparesTheCommonArea) {
  struct Case {
    const char* name;
    Bytes a;
    std::int32_t wa, ha;
    Bytes b;
    std::int32_t wb, hb;
    double expected;
  };
  const Bytes off_by_30 = {9, 9, 9, 9, 39, 9, 9, 9, 9, 9, 9, 9};
  const Bytes two_by_two = {0, 0, 0, 50, 50, 50, 10, 10, 10, 50, 50, 50};
  const Case cases[] = {
      {"identical", {1, 2, 3, 4, 5, 6}, 2, 1, {1, 2, 3, 4, 5, 6}, 2, 1, 0.0},
      {"zero against full", Bytes(12, 0), 2, 2, Bytes(12, 255), 2, 2, 255.0},
      {"one off everywhere", {1, 2, 3, 4, 5, 6}, 1, 2, {2, 3, 4, 5, 6, 7}, 1, 2, 1.0},
      {"one byte off by 30 of 12", Bytes(12, 9), 4, 1, off_by_30, 4, 1, 2.5},
      {"one third", {0, 0, 0}, 1, 1, {1, 0, 0}, 1, 1, 1.0 / 3.0},
      // A is 2x2, B is 1x2: each row of A starts 6 bytes on, each row of B 3.
      {"own stride per block", two_by_two, 2, 2, {0, 0, 0, 13, 13, 13}, 1, 2, 1.5},
      // A is 1x3, B is 1x1: only the first row is shared.
      {"shorter second image", {5, 5, 5, 0, 0, 0, 0, 0, 0}, 1, 3, {8, 8, 8}, 1, 1, 3.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bmptest::TempDir dir;
    const auto size = [](std::int32_t n) { return static_cast<std::uint32_t>(n); };
    bmptest::WriteFile(dir / "a.bmp", bmptest::MakeBmp(size(c.wa), size(c.ha), c.a));
    bmptest::WriteFile(dir / "b.bmp", bmptest::MakeBmp(size(c.wb), size(c.hb), c.b));
    const std::string a = dir / "a.bmp", b = dir / "b.bmp";
    EXPECT_DOUBLE_EQ(CompareFiles(a.c_str(), b.c_str()).mae(), c.expected);
    EXPECT_DOUBLE_EQ(CompareFiles(b.c_str(), a.c_str()).mae(), c.expected);
  }
}

TEST(CommonAreaMean, AnEmptyAreaGivesANegativeNaN) {
  struct Dims {
    std::int32_t wa, ha, wb, hb;
  };
  for (const Dims d : {Dims{0, 0, 0, 0}, Dims{0, 1, 1, 1}, Dims{1, 1, 1, 0}, Dims{-5, 1, 1, 1},
                       Dims{1, 1, 1, -2147483647 - 1}}) {
    std::uint64_t w = 7, h = 7;
    EXPECT_FALSE(CommonArea(d.wa, d.ha, d.wb, d.hb, &w, &h));
  }
  const double r = Mean(0, 0);
  EXPECT_TRUE(std::isnan(r));
  EXPECT_TRUE(std::signbit(r));
}

}  // namespace
