// Sums of squared byte differences, for the root mean square error and the
// peak signal-to-noise ratio.
#ifndef MAE_SUM_SQ_DIFF_H
#define MAE_SUM_SQ_DIFF_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mae {

// Sum of (a[i] - b[i])^2 over n bytes, with the fastest variant this
// processor runs (chosen once, at the first call). Exact: at most 65025 a
// byte, so 2^44 bytes before it could overflow.
std::uint64_t SumSqDiff(const unsigned char* a, const unsigned char* b, std::size_t n);

using SumSqDiffFn = std::uint64_t (*)(const unsigned char*, const unsigned char*, std::size_t);

struct SumSqDiffVariant {
  const char* name;  // "scalar", "sse2", "avx2"
  SumSqDiffFn fn;
};

// Every variant this processor can run, the plain loop first.
std::vector<SumSqDiffVariant> SumSqDiffVariants();

}  // namespace mae

#endif  // MAE_SUM_SQ_DIFF_H
