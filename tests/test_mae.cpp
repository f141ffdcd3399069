// Unit tests of the comparison: the inner pass, the mean over two blocks,
// and MAE on files for what the command line cannot show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "MAE.h"
#include "compare.h"
#include "pixel_figures.h"
#include "sum_abs_diff.h"
#include "support/bmp_file.h"
#include "support/call_mae.h"

namespace {

using bmptest::Bytes;
using bmptest::CallMae;
using bmptest::MakeBmp;
using bmptest::TempDir;
using bmptest::WriteFile;

// Every variant this processor runs, and the dispatching entry point.
std::vector<SumAbsDiffVariant> AllSumAbsDiffs() {
  std::vector<SumAbsDiffVariant> all = SumAbsDiffVariants();
  all.push_back({"dispatched", SumAbsDiff});
  return all;
}

TEST(SumAbsDiff, EveryVariantMatchesAPlainLoopForEveryLengthAndAlignment) {
  std::mt19937 rng(12345);
  Bytes a(1200);
  Bytes b(1200);
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<unsigned char>(rng());
    b[i] = static_cast<unsigned char>(rng());
  }
  for (const SumAbsDiffVariant& v : AllSumAbsDiffs()) {
    SCOPED_TRACE(v.name);
    for (std::size_t start : {0u, 1u, 3u, 15u}) {
      for (std::size_t n = 0; n + start <= 1100; n += (n < 80 ? 1 : 37)) {
        std::uint64_t expected = 0;
        for (std::size_t i = start; i < start + n; ++i) {
          expected += static_cast<std::uint64_t>(std::abs(a[i] - b[i]));
        }
        ASSERT_EQ(v.fn(a.data() + start, b.data() + start, n), expected)
            << "start " << start << " length " << n;
      }
    }
  }
}

TEST(SumAbsDiff, EveryVariantSumsPastWhatA32BitLaneHolds) {
  // 255 in every byte of 160 MiB: a sum above 2^35, more than the four
  // 64-bit lanes of any variant would hold if they were 32 bits wide.
  const std::size_t n = std::size_t{160} << 20;
  const Bytes zeros(n, 0);
  const Bytes full(n, 255);
  const std::uint64_t expected = std::uint64_t{255} * n;
  for (const SumAbsDiffVariant& v : AllSumAbsDiffs()) {
    SCOPED_TRACE(v.name);
    EXPECT_EQ(v.fn(zeros.data(), full.data(), n), expected);
    EXPECT_EQ(v.fn(full.data(), zeros.data(), n), expected);
    EXPECT_EQ(v.fn(full.data(), full.data(), 70000), 0u);
  }
}

TEST(PixelFigures, TheFastPassMatchesThePlainLoop) {
  std::mt19937 rng(5);
  for (std::size_t pixels : {0u, 1u, 15u, 16u, 17u, 100u, 1000u}) {
    for (const int sparsity : {1, 7, 500}) {  // how rare a differing byte is
      SCOPED_TRACE(std::to_string(pixels) + " pixels, 1 in " + std::to_string(sparsity));
      Bytes a(pixels * 3);
      for (auto& byte : a) {
        byte = static_cast<unsigned char>(rng());
      }
      Bytes b = a;
      for (auto& byte : b) {
        if (rng() % static_cast<unsigned>(sparsity) == 0) {
          byte = static_cast<unsigned char>(rng());
        }
      }
      PixelFigures fast{3, 10};  // adds to what is there
      PixelFigures plain{3, 10};
      AddPixelFigures(a.data(), b.data(), a.size(), &fast);
      AddPixelFiguresScalar(a.data(), b.data(), a.size(), &plain);
      EXPECT_EQ(fast.max_difference, plain.max_difference);
      EXPECT_EQ(fast.differing_pixels, plain.differing_pixels);
    }
  }
  // One byte of the third channel of pixel 15 (the last of a 48-byte step)
  // and of pixel 16 (the first after it), by 255.
  Bytes a(32 * 3, 0);
  Bytes b = a;
  b[15 * 3 + 2] = 255;
  b[16 * 3] = 1;
  PixelFigures f;
  AddPixelFigures(a.data(), b.data(), a.size(), &f);
  EXPECT_EQ(f.max_difference, 255u);
  EXPECT_EQ(f.differing_pixels, 2u);
}

TEST(MeanAbsoluteError, ComparesTheCommonArea) {
  struct Case {
    const char* name;
    Bytes a;
    std::int32_t wa, ha;
    Bytes b;
    std::int32_t wb, hb;
    double expected;
  };
  const Case cases[] = {
      {"identical", {1, 2, 3, 4, 5, 6}, 2, 1, {1, 2, 3, 4, 5, 6}, 2, 1, 0.0},
      {"zero against full", Bytes(12, 0), 2, 2, Bytes(12, 255), 2, 2, 255.0},
      {"one off everywhere", {1, 2, 3, 4, 5, 6}, 1, 2, {2, 3, 4, 5, 6, 7}, 1, 2, 1.0},
      {"one byte off by 30 of 12",
       Bytes(12, 9),
       4,
       1,
       {9, 9, 9, 9, 39, 9, 9, 9, 9, 9, 9, 9},
       4,
       1,
       2.5},
      {"one third", {0, 0, 0}, 1, 1, {1, 0, 0}, 1, 1, 1.0 / 3.0},
      // A is 2x2, B is 1x2: each row of A starts 6 bytes on, each row of B 3.
      {"own stride per block",
       {0, 0, 0, 50, 50, 50, 10, 10, 10, 50, 50, 50},
       2,
       2,
       {0, 0, 0, 13, 13, 13},
       1,
       2,
       1.5},
      // A is 1x3, B is 1x1: only the first row is shared.
      {"shorter second image", {5, 5, 5, 0, 0, 0, 0, 0, 0}, 1, 3, {8, 8, 8}, 1, 1, 3.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(MeanAbsoluteError(c.a.data(), c.wa, c.ha, c.b.data(), c.wb, c.hb), c.expected);
    EXPECT_DOUBLE_EQ(MeanAbsoluteError(c.b.data(), c.wb, c.hb, c.a.data(), c.wa, c.ha), c.expected);
  }
}

TEST(MeanAbsoluteError, AnEmptyAreaGivesANegativeNaN) {
  const unsigned char pixel[3] = {1, 2, 3};
  struct Dims {
    std::int32_t wa, ha, wb, hb;
  };
  for (const Dims d : {Dims{0, 0, 0, 0}, Dims{0, 1, 1, 1}, Dims{1, 1, 1, 0}, Dims{-5, 1, 1, 1},
                       Dims{1, 1, 1, -2147483647 - 1}}) {
    const double r = MeanAbsoluteError(pixel, d.wa, d.ha, pixel, d.wb, d.hb);
    EXPECT_TRUE(std::isnan(r));
    EXPECT_TRUE(std::signbit(r));
  }
}

TEST(MAE, RefusesImagesThatAreNot24Bit) {
  TempDir dir;
  WriteFile(dir / "rgb.bmp", MakeBmp(2, 1, Bytes(6, 0)));
  WriteFile(dir / "rgba.bmp", MakeBmp(2, 1, Bytes(8, 0), 32));
  WriteFile(dir / "gray.bmp", MakeBmp(2, 1, Bytes(2, 0), 8));
  WriteFile(dir / "mono.bmp", MakeBmp(2, 1, Bytes(1, 0), 1));
  const std::string rgb = dir / "rgb.bmp";
  const std::string rgba = dir / "rgba.bmp";
  const std::string gray = dir / "gray.bmp";
  const std::string mono = dir / "mono.bmp";

  bmptest::MaeCall c = CallMae(rgba, rgb);
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + rgba + " is not a 24-bit image.\n");

  c = CallMae(rgb, mono);
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + mono + " is not a 24-bit image.\n");

  c = CallMae(gray, rgba);
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + gray + " is not a 24-bit image.\n Error: " + rgba +
                       " is not a 24-bit image.\n");
}

TEST(MAE, ReadsBothFilesEvenWhenTheFirstFails) {
  TempDir dir;
  WriteFile(dir / "ok.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  WriteFile(dir / "short.bmp", Bytes(5, 0));
  const bmptest::MaeCall c = CallMae(dir / "short.bmp", dir / "missing.bmp");
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + (dir / "short.bmp") + " is too short to be a BMP file.\n" +
                       " Error: " + (dir / "missing.bmp") + " not exist.\n");
  EXPECT_EQ(CallMae(dir / "ok.bmp", dir / "short.bmp").result, -1.0);
}

TEST(MAE, StreamsFilesToTheSameResultAsTheInMemoryComparison) {
  // Shapes that take each way through the streaming reads: one run per
  // file, many short rows per read, rows longer than a read buffer, and
  // images of different widths whose rows are not contiguous.
  struct Shape {
    std::uint32_t wa, ha, wb, hb;
  };
  std::mt19937 rng(99);
  for (const Shape s :
       {Shape{8, 5, 8, 5}, Shape{1, 1000, 1, 1000}, Shape{3, 7, 5, 4}, Shape{1, 90000, 2, 90001},
        Shape{30000, 3, 30000, 3}, Shape{87382, 2, 87382, 2}, Shape{100000, 2, 90000, 3},
        Shape{90000, 3, 100000, 2}}) {
    SCOPED_TRACE(std::to_string(s.wa) + "x" + std::to_string(s.ha) + " vs " + std::to_string(s.wb) +
                 "x" + std::to_string(s.hb));
    TempDir dir;
    const Bytes a = bmptest::MakePixels(s.wa, s.ha, [&rng](std::size_t) { return rng(); });
    const Bytes b = bmptest::MakePixels(s.wb, s.hb, [&rng](std::size_t) { return rng(); });
    WriteFile(dir / "a.bmp", MakeBmp(s.wa, s.ha, a));
    WriteFile(dir / "b.bmp", MakeBmp(s.wb, s.hb, b));
    const double expected = MeanAbsoluteError(
        a.data(), static_cast<std::int32_t>(s.wa), static_cast<std::int32_t>(s.ha), b.data(),
        static_cast<std::int32_t>(s.wb), static_cast<std::int32_t>(s.hb));
    const bmptest::MaeCall c = CallMae(dir / "a.bmp", dir / "b.bmp");
    EXPECT_EQ(c.result, expected);
    const bool same_size = s.wa == s.wb && s.ha == s.hb;
    EXPECT_EQ(c.out, same_size ? "" : " Warning: The size of 2 images is not the same!\n");
  }
}

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
    EXPECT_TRUE(r.failed_while_comparing);
    EXPECT_FALSE(r.compared);
    EXPECT_EQ(r.mae, -1.0);
    EXPECT_EQ(r.a.status, c.shrink_second ? BmpStatus::kOk : BmpStatus::kReadError);
    EXPECT_EQ(r.b.status, c.shrink_second ? BmpStatus::kReadError : BmpStatus::kOk);
  }
  // The handler found is the handler left, and it never saw these faults.
  struct sigaction after {};
  ASSERT_EQ(sigaction(SIGBUS, &before, &after), 0);
  EXPECT_EQ(after.sa_handler, &ForeignSigbus);
  EXPECT_EQ(g_foreign_sigbus, 0);
}

TEST(Tables, PairEachOutputWithItsReference) {
  const char* const expected[10] = {"Blur1.bmp",  "Blur2.bmp",  "Blur3.bmp",  "Blur4.bmp",
                                    "Blur5.bmp",  "Sobel1.bmp", "Sobel2.bmp", "Sobel3.bmp",
                                    "Sobel4.bmp", "Sobel5.bmp"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_STREQ(output_name[i], expected[i]);
    EXPECT_EQ(std::string(ans_name[i]), std::string("ANS/") + expected[i]);
  }
}

}  // namespace
