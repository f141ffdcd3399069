// The comparison of files where only the library can reach: a file that
// shrinks while it is compared.
#include "compare.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <string>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

using bmptest::Bytes;
using bmptest::MakeBmp;
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

}  // namespace
