// The sum of squared differences: every SIMD variant against the plain loop.
#include "sum_sq_diff.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace mae;

TEST(SumSqDiff, EveryVariantMatchesAPlainLoopAndNeverOverflows) {
  std::vector<SumSqDiffVariant> all = SumSqDiffVariants();
  all.push_back({"dispatched", SumSqDiff});
  std::mt19937 rng(6789);
  std::vector<unsigned char> a(1200);
  std::vector<unsigned char> b(1200);
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<unsigned char>(rng());
    b[i] = static_cast<unsigned char>(rng());
  }
  // Every byte as far apart as can be, past the blocks the lanes are summed
  // in: each lane as full as it gets.
  const std::vector<unsigned char> zeros(300000, 0);
  const std::vector<unsigned char> full(300000, 255);
  for (const SumSqDiffVariant& v : all) {
    SCOPED_TRACE(v.name);
    for (std::size_t start : {0u, 1u, 7u}) {
      for (std::size_t n = 0; n + start <= 1100; n += (n < 80 ? 1 : 37)) {
        std::uint64_t expected = 0;
        for (std::size_t i = start; i < start + n; ++i) {
          expected += static_cast<std::uint64_t>((a[i] - b[i]) * (a[i] - b[i]));
        }
        ASSERT_EQ(v.fn(a.data() + start, b.data() + start, n), expected) << start << " " << n;
      }
    }
    EXPECT_EQ(v.fn(zeros.data(), full.data(), zeros.size()), 65025ull * zeros.size());
    EXPECT_EQ(v.fn(full.data(), zeros.data(), zeros.size()), 65025ull * zeros.size());
  }
}

}  // namespace
