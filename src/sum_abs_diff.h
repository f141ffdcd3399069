// Sums of absolute byte differences: the comparison's inner pass.
#ifndef MAE_SUM_ABS_DIFF_H
#define MAE_SUM_ABS_DIFF_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mae {

// Sum of |a[i] - b[i]| over n bytes, with the fastest variant this
// processor runs (chosen once, at the first call).
std::uint64_t SumAbsDiff(const unsigned char* a, const unsigned char* b, std::size_t n);

using SumAbsDiffFn = std::uint64_t (*)(const unsigned char*, const unsigned char*, std::size_t);

struct SumAbsDiffVariant {
  const char* name;  // "scalar", "sse2", "avx2"
  SumAbsDiffFn fn;
};

// Every variant this processor can run, the plain loop first, so that tests
// reach each of them whatever SumAbsDiff chooses here.
std::vector<SumAbsDiffVariant> SumAbsDiffVariants();

}  // namespace mae

#endif  // MAE_SUM_ABS_DIFF_H
