#include "sum_abs_diff.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace mae {

namespace {

// The plain loop: correct on every processor, and the tail of the others.
std::uint64_t SumAbsDiffScalar(const unsigned char* a, const unsigned char* b, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += static_cast<unsigned>(a[i] > b[i] ? a[i] - b[i] : b[i] - a[i]);
  }
  return sum;
}

#if defined(__x86_64__)
#define MAE_HAVE_X86 1

// psadbw sums |a - b| over 8 bytes into a 64-bit lane: no lane can
// overflow, whatever the length.
std::uint64_t SumAbsDiffSse2(const unsigned char* a, const unsigned char* b, std::size_t n) {
  __m128i acc0 = _mm_setzero_si128();
  __m128i acc1 = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const auto* pa = reinterpret_cast<const __m128i*>(a + i);
    const auto* pb = reinterpret_cast<const __m128i*>(b + i);
    acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(pa), _mm_loadu_si128(pb)));
    acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadu_si128(pa + 1), _mm_loadu_si128(pb + 1)));
    acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(pa + 2), _mm_loadu_si128(pb + 2)));
    acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadu_si128(pa + 3), _mm_loadu_si128(pb + 3)));
  }
  for (; i + 16 <= n; i += 16) {
    acc0 =
        _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))));
  }
  if (i + 8 <= n) {  // the upper halves load as zeros on both sides
    acc1 =
        _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i)),
                                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i))));
    i += 8;
  }
  const __m128i acc = _mm_add_epi64(acc0, acc1);
  const std::uint64_t lanes =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(acc)) +
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
  return lanes + SumAbsDiffScalar(a + i, b + i, n - i);
}

__attribute__((target("avx2"))) std::uint64_t SumAbsDiffAvx2(const unsigned char* a,
                                                             const unsigned char* b,
                                                             std::size_t n) {
  __m256i acc0 = _mm256_setzero_si256();
  __m256i acc1 = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const auto* pa = reinterpret_cast<const __m256i*>(a + i);
    const auto* pb = reinterpret_cast<const __m256i*>(b + i);
    acc0 = _mm256_add_epi64(acc0, _mm256_sad_epu8(_mm256_loadu_si256(pa), _mm256_loadu_si256(pb)));
    acc1 = _mm256_add_epi64(
        acc1, _mm256_sad_epu8(_mm256_loadu_si256(pa + 1), _mm256_loadu_si256(pb + 1)));
  }
  const __m256i acc = _mm256_add_epi64(acc0, acc1);
  const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
  const std::uint64_t lanes =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) +
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
  return lanes + SumAbsDiffSse2(a + i, b + i, n - i);
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#endif

}  // namespace

std::uint64_t SumAbsDiff(const unsigned char* a, const unsigned char* b, std::size_t n) {
#ifdef MAE_HAVE_X86
  if (n < 64) {
    return SumAbsDiffSse2(a, b, n);  // short rows: no indirect call, no wide lanes
  }
  static const SumAbsDiffFn chosen = HasAvx2() ? SumAbsDiffAvx2 : SumAbsDiffSse2;
  return chosen(a, b, n);
#else
  return SumAbsDiffScalar(a, b, n);
#endif
}

std::vector<SumAbsDiffVariant> SumAbsDiffVariants() {
  std::vector<SumAbsDiffVariant> variants = {{"scalar", SumAbsDiffScalar}};
#ifdef MAE_HAVE_X86
  variants.push_back({"sse2", SumAbsDiffSse2});
  if (HasAvx2()) {
    variants.push_back({"avx2", SumAbsDiffAvx2});
  }
#endif
  return variants;
}

}  // namespace mae
