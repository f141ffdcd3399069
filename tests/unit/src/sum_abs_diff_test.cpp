// The inner pass: every SIMD variant of the sum against the plain loop.
#include "sum_abs_diff.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

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

}  // namespace
