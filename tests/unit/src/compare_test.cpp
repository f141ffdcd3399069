// The comparison of files where only the library can reach: a file that
// shrinks while it is compared.
#include "compare.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakePaddedBmp;
using bmptest::TempDir;
using bmptest::WriteFile;

// A handler of the test's own, to see that the comparison leaves it in place
// and never calls it for a fault of its own.
volatile std::sig_atomic_t g_foreign_sigbus = 0;
void ForeignSigbus(int) {
  g_foreign_sigbus = 1;
}

TEST(CompareFiles, AFileThatShrinksUnderThePassIsAReadErrorNeverACrash) {
  struct Case {
    const char* name;
    bool shrink_second;
    bool figures;  // the per-row pass over mapped files
    bool visitor;  // the buffered pass
  };
  const Case cases[] = {
      {"first file, one run", false, false, false},
      {"second file, one run", true, false, false},
      {"first file, row by row with figures", false, true, false},
      {"second file, row by row with figures", true, true, false},
      {"second file, through buffers", true, false, true},
  };
  struct sigaction mine {};
  mine.sa_handler = ForeignSigbus;
  sigemptyset(&mine.sa_mask);
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGBUS, &mine, &before), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    // 256 x 64 pixels: 48 KiB, a dozen pages past the header's page.
    WriteFile(dir / "a.bmp", MakeBmp(256, 64, Bytes(256 * 64 * 3, 10)));
    WriteFile(dir / "b.bmp", MakeBmp(256, 64, Bytes(256 * 64 * 3, 20)));
    const std::string shrinking = dir / (c.shrink_second ? "b.bmp" : "a.bmp");
    CompareOptions options;
    options.figures = c.figures;
    // Called after both headers were checked, before any pixel is read.
    options.on_area = [&shrinking](std::uint64_t, std::uint64_t) {
      ASSERT_EQ(::truncate(shrinking.c_str(), 100), 0);
    };
    if (c.visitor) {
      options.visit = [](std::uint64_t, std::uint64_t, const unsigned char*, const unsigned char*,
                         std::size_t) {};
    }
    const Comparison r = CompareFiles((dir / "a.bmp").c_str(), (dir / "b.bmp").c_str(), options);
    EXPECT_EQ(r.state, CompareState::kFailedWhileComparing);
    EXPECT_EQ(r.mae(), -1.0);
    EXPECT_EQ(r.a.status, c.shrink_second ? BmpStatus::kOk : BmpStatus::kReadError);
    EXPECT_EQ(r.b.status, c.shrink_second ? BmpStatus::kReadError : BmpStatus::kOk);
  }
  // The handler found is the handler left, and it never saw these faults.
  struct sigaction after {};
  ASSERT_EQ(sigaction(SIGBUS, &before, &after), 0);
  EXPECT_EQ(after.sa_handler, &ForeignSigbus);
  EXPECT_EQ(g_foreign_sigbus, 0);
}

// RMSE and PSNR on the byte scale, from exact squared sums: a 2 x 1
// picture against pictures whose bytes differ by known amounts, read in
// place and row by row.
TEST(CompareFiles, SquaredSumsGiveExactRmseAndPsnr) {
  const TempDir dir;
  const Bytes ref = {10, 20, 30, 40, 50, 60};
  WriteFile(dir / "ref.bmp", MakeBmp(2, 1, ref));
  const struct {
    Bytes out;
    std::uint64_t sum_sq;
    double rmse;
    double psnr;
  } rows[] = {
      {ref, 0, 0.0, std::numeric_limits<double>::infinity()},
      {{11, 20, 30, 40, 50, 60}, 1, std::sqrt(1.0 / 6), 10 * std::log10(65025.0 * 6)},
      {{10, 20, 30, 40, 50, 255},
       195 * 195,
       195 / std::sqrt(6.0),
       10 * std::log10(65025.0 * 6 / (195 * 195))},
      {{0, 30, 30, 40, 53, 56},
       100 + 100 + 9 + 16,
       std::sqrt(225.0 / 6),
       10 * std::log10(65025.0 * 6 / 225)},
  };
  for (const auto& row : rows) {
    WriteFile(dir / "out.bmp", MakeBmp(2, 1, row.out));
    for (const bool visit : {false, true}) {
      CompareOptions options;
      options.squares = true;
      if (visit) {
        options.visit = [](std::uint64_t, std::uint64_t, const unsigned char*, const unsigned char*,
                           std::size_t) {};
      }
      const Comparison r =
          CompareFiles((dir / "out.bmp").c_str(), (dir / "ref.bmp").c_str(), options);
      EXPECT_EQ(r.sum_sq, row.sum_sq);
      EXPECT_DOUBLE_EQ(r.rmse(), row.rmse);
      EXPECT_DOUBLE_EQ(r.psnr(), row.psnr);
    }
  }
  // Without squares asked for, nothing is summed; without a comparison,
  // there is no figure.
  EXPECT_EQ(CompareFiles((dir / "out.bmp").c_str(), (dir / "ref.bmp").c_str()).sum_sq, 0u);
  EXPECT_TRUE(std::isnan(CompareFiles("nowhere", (dir / "ref.bmp").c_str()).rmse()));
}

// The compared area of the ignore and tolerance tests: 4 x 4 pixels, inside
// a frame `border` pixels wide that differs by far more. Pixel x of
// compared row r differs by 1 in its first byte and by its own d = 1 + x +
// 4r in its last, up and down by turns, so that any pixel left out or
// added shows in the sums.
constexpr std::uint64_t kSide = 4;

unsigned Difference(std::uint64_t x, std::uint64_t row) {
  return static_cast<unsigned>(1 + x + kSide * row);
}

void WriteFramedPair(const std::string& a, const std::string& b, std::uint32_t border) {
  const std::uint32_t side = static_cast<std::uint32_t>(kSide) + 2 * border;
  Bytes pa;
  Bytes pb;
  for (std::uint32_t r = 0; r < side; ++r) {
    for (std::uint32_t x = 0; x < side; ++x) {
      pa.insert(pa.end(), {50, 77, 100});
      const bool framed = r < border || x < border || r >= border + kSide || x >= border + kSide;
      const unsigned d = framed ? 0 : Difference(x - border, r - border);
      const auto last = static_cast<unsigned char>(x % 2 == 0 ? 100 + d : 100 - d);
      const Bytes pixel = framed ? Bytes{250, 0, 255} : Bytes{51, 77, last};
      pb.insert(pb.end(), pixel.begin(), pixel.end());
    }
  }
  WriteFile(a, MakePaddedBmp(side, side, pa));
  WriteFile(b, MakePaddedBmp(side, side, pb));
}

bool Ignored(const std::vector<AreaRect>& rects, std::uint64_t x, std::uint64_t row) {
  for (const AreaRect& r : rects) {
    if (r.x0 <= x && x < r.x1 && r.row0 <= row && row < r.row1) {
      return true;
    }
  }
  return false;
}

// Ignored rectangles, in compared-area coordinates: clipped, counted once
// where they overlap, left out of every figure and never shown to the
// visitor; in a packed file (where the bytes would be one run), and inside
// a border in padded rows (6 pixels, 18 bytes a row).
TEST(CompareFiles, IgnoredRectanglesAreLeftOutOfEveryFigure) {
  constexpr std::uint64_t kFar = std::numeric_limits<std::uint64_t>::max();
  const struct {
    const char* name;
    std::vector<AreaRect> ignore;
    std::uint64_t ignored;
    std::uint64_t sum;
    std::uint64_t sum_sq;
    unsigned max_difference;
    unsigned tolerance;
    std::uint64_t beyond;
  } cases[] = {
      {"nothing", {}, 0, 152, 1512, 16, 0, 16},
      {"all", {{0, 4, 0, 4}}, 16, 0, 0, 0, 0, 0},
      {"all, reaching far past", {{0, kFar, 0, kFar}}, 16, 0, 0, 0, 0, 0},
      {"overlapping", {{1, 3, 0, 2}, {2, 4, 1, 3}}, 7, 96, 1078, 16, 5, 6},
      {"past the corner", {{3, 100, 2, 100}}, 2, 122, 1110, 15, 14, 1},
      {"a chain listed backwards",
       {{3, 5, 0, 1}, {2, 4, 0, 1}, {1, 3, 0, 1}},
       3,
       140,
       1480,
       16,
       15,
       1},
      {"empty or outside",
       {{2, 2, 0, 4}, {0, 4, 3, 3}, {4, 9, 0, 4}, {0, 4, 4, 8}, {3, 1, 0, 4}},
       0,
       152,
       1512,
       16,
       16,
       0},
      {"whole rows", {{0, 4, 1, 3}}, 8, 76, 884, 16, 4, 4},
      {"holes in every row", {{1, 2, 0, 4}, {3, 4, 0, 4}}, 8, 72, 688, 15, 0, 8},
  };
  const TempDir dir;
  for (const std::uint32_t border : {0u, 1u}) {
    const std::string a = dir / ("a" + std::to_string(border) + ".bmp");
    const std::string b = dir / ("b" + std::to_string(border) + ".bmp");
    WriteFramedPair(a, b, border);
    for (const auto& c : cases) {
      for (const int mode : {0, 1, 2}) {  // only sums; figures; figures and a visitor
        SCOPED_TRACE(std::string(c.name) + ", border " + std::to_string(border) + ", mode " +
                     std::to_string(mode));
        CompareOptions options;
        options.border = border;
        options.ignore = c.ignore;
        options.figures = options.squares = mode != 0;
        options.tolerance = c.tolerance;
        unsigned seen[kSide][kSide] = {};
        if (mode == 2) {
          options.visit = [&seen](std::uint64_t row, std::uint64_t start, const unsigned char* pa,
                                  const unsigned char* pb, std::size_t n) {
            ASSERT_EQ(start % 3, 0u);
            ASSERT_EQ(n % 3, 0u);
            ASSERT_LE(start + n, kSide * 3);
            for (std::size_t i = 0; i < n; i += 3) {
              const std::uint64_t x = (start + i) / 3;
              ++seen[row][x];
              const int d = pb[i + 2] - pa[i + 2];
              EXPECT_EQ(static_cast<unsigned>(d < 0 ? -d : d), Difference(x, row));
            }
          };
        }
        const Comparison r = CompareFiles(a.c_str(), b.c_str(), options);
        ASSERT_EQ(r.state, CompareState::kCompared);
        const std::uint64_t kept = kSide * kSide - c.ignored;
        EXPECT_EQ(r.ignored_pixels, c.ignored);
        EXPECT_EQ(r.compared_pixels(), kept);
        EXPECT_EQ(r.sum, c.sum);
        if (kept == 0) {
          EXPECT_TRUE(std::isnan(r.mae()));
          EXPECT_TRUE(std::isnan(r.rmse()));
          EXPECT_TRUE(std::isnan(r.psnr()));
        } else {
          EXPECT_DOUBLE_EQ(r.mae(), static_cast<double>(c.sum) / static_cast<double>(kept * 3));
        }
        EXPECT_EQ(r.sum_sq, mode != 0 ? c.sum_sq : 0u);
        EXPECT_EQ(r.max_difference, mode != 0 ? c.max_difference : 0u);
        EXPECT_EQ(r.differing_pixels, mode != 0 ? kept : 0u);
        EXPECT_EQ(r.beyond_tolerance, mode != 0 ? c.beyond : 0u);
        for (std::uint64_t row = 0; row < kSide && mode == 2; ++row) {
          for (std::uint64_t x = 0; x < kSide; ++x) {
            EXPECT_EQ(seen[row][x], Ignored(c.ignore, x, row) ? 0u : 1u) << x << "," << row;
          }
        }
      }
    }
  }
}

// The pixels whose largest byte difference is above the tolerance, at its
// bounds: the differences are 1 to 16, and the first byte differs by 1.
TEST(CompareFiles, TheToleranceCountsThePixelsAboveIt) {
  const TempDir dir;
  WriteFramedPair(dir / "a.bmp", dir / "b.bmp", 0);
  const struct {
    std::optional<unsigned> tolerance;
    bool figures;
    std::uint64_t beyond;
  } cases[] = {
      {0, true, 16},  {6, true, 10},           {7, true, 9},
      {15, true, 1},  {16, true, 0},           {255, true, 0},
      {~0u, true, 0}, {std::nullopt, true, 0}, {0, false, 0},
  };
  for (const auto& c : cases) {
    CompareOptions options;
    options.figures = c.figures;
    options.tolerance = c.tolerance;
    const Comparison r = CompareFiles((dir / "a.bmp").c_str(), (dir / "b.bmp").c_str(), options);
    EXPECT_EQ(r.beyond_tolerance, c.beyond) << c.tolerance.value_or(12345) << " " << c.figures;
  }
}

// A row longer than a buffer is read in pieces of whole pixels; an ignored
// span across a piece's edge is left out of both pieces, and each piece's
// pixels keep their place in the row.
TEST(CompareFiles, IgnoredSpansAcrossTheBuffersEdge) {
  constexpr std::uint32_t kWidth = 90000;  // 270,000 bytes: two pieces
  const TempDir dir;
  const Bytes zero(std::size_t{kWidth} * 3, 0);
  WriteFile(dir / "a.bmp", MakeBmp(kWidth, 1, zero));
  WriteFile(dir / "b.bmp", MakeBmp(kWidth, 1, bmptest::MakePixels(kWidth, 1, [](std::size_t i) {
                                     return i % 3 == 2 ? 1 + i / 3 % 200 : 0;
                                   })));
  std::uint64_t expected = 0;
  for (std::uint64_t x = 0; x < kWidth; ++x) {
    expected += x >= 87000 && x < 88000 ? 0 : 1 + x % 200;
  }
  for (const bool visit : {false, true}) {
    CompareOptions options;
    options.ignore = {{87000, 88000, 0, 1}};
    std::uint64_t seen = 0;
    if (visit) {
      options.visit = [&seen](std::uint64_t, std::uint64_t start, const unsigned char*,
                              const unsigned char* pb, std::size_t n) {
        for (std::size_t i = 0; i < n; i += 3) {
          const std::uint64_t x = (start + i) / 3;
          EXPECT_TRUE(x < 87000 || x >= 88000) << x;
          EXPECT_EQ(pb[i + 2], 1 + x % 200) << x;
        }
        seen += n / 3;
      };
    }
    const Comparison r = CompareFiles((dir / "a.bmp").c_str(), (dir / "b.bmp").c_str(), options);
    EXPECT_EQ(r.sum, expected);
    EXPECT_EQ(r.ignored_pixels, 1000u);
    EXPECT_EQ(seen, visit ? kWidth - 1000u : 0u);
  }
}

}  // namespace
