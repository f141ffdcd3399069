#include "sum_sq_diff.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#define MAE_HAVE_X86 1
#endif

namespace mae {

namespace {

// The plain loop: correct on every processor, and the tail of the others.
std::uint64_t SumSqDiffScalar(const unsigned char* a, const unsigned char* b, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = int{a[i]} - int{b[i]};
    sum += static_cast<std::uint64_t>(d * d);
  }
  return sum;
}

#ifdef MAE_HAVE_X86
// Each 32-bit lane takes at most 2 x 2 x 65025 a step of 16 bytes (32 for
// AVX2): blocks of this many bytes keep it below 2^31 before it is widened.
constexpr std::size_t kBlock = std::size_t{1} << 16;

// The differences as 16-bit lanes, squared and added in pairs (pmaddwd).
std::uint64_t SumSqDiffSse2(const unsigned char* a, const unsigned char* b, std::size_t n) {
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t sum = 0;
  std::size_t i = 0;
  while (i + 16 <= n) {
    const std::size_t end = std::min(n, i + kBlock);
    __m128i acc = zero;
    for (; i + 16 <= end; i += 16) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
      const __m128i lo = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
      const __m128i hi = _mm_sub_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
      acc = _mm_add_epi32(acc, _mm_add_epi32(_mm_madd_epi16(lo, lo), _mm_madd_epi16(hi, hi)));
    }
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    sum += std::uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
  }
  return sum + SumSqDiffScalar(a + i, b + i, n - i);
}

__attribute__((target("avx2"))) std::uint64_t SumSqDiffAvx2(const unsigned char* a,
                                                            const unsigned char* b, std::size_t n) {
  std::uint64_t sum = 0;
  std::size_t i = 0;
  while (i + 16 <= n) {
    const std::size_t end = std::min(n, i + kBlock);
    __m256i acc = _mm256_setzero_si256();
    for (; i + 16 <= end; i += 16) {
      const __m256i va =
          _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
      const __m256i vb =
          _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
      const __m256i d = _mm256_sub_epi16(va, vb);
      acc = _mm256_add_epi32(acc, _mm256_madd_epi16(d, d));
    }
    alignas(32) std::uint32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
    for (const std::uint32_t lane : lanes) {
      sum += lane;
    }
  }
  return sum + SumSqDiffSse2(a + i, b + i, n - i);
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#endif

}  // namespace

std::uint64_t SumSqDiff(const unsigned char* a, const unsigned char* b, std::size_t n) {
#ifdef MAE_HAVE_X86
  static const SumSqDiffFn chosen = HasAvx2() ? SumSqDiffAvx2 : SumSqDiffSse2;
  return chosen(a, b, n);
#else
  return SumSqDiffScalar(a, b, n);
#endif
}

std::vector<SumSqDiffVariant> SumSqDiffVariants() {
  std::vector<SumSqDiffVariant> variants = {{"scalar", SumSqDiffScalar}};
#ifdef MAE_HAVE_X86
  variants.push_back({"sse2", SumSqDiffSse2});
  if (HasAvx2()) {
    variants.push_back({"avx2", SumSqDiffAvx2});
  }
#endif
  return variants;
}

}  // namespace mae
