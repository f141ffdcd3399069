// The inner passes: every SIMD variant against the plain loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "pixel_figures.h"
#include "sum_abs_diff.h"

namespace {

using namespace mae;

using Bytes = std::vector<unsigned char>;

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

}  // namespace
