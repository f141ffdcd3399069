#include "pixel_figures.h"

#include <algorithm>

#include "bmp_header.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace mae {

namespace {

// The bits set in x, counted in place: without a popcnt target the
// builtin is a library call a step, a twentieth of a class run's time.
[[maybe_unused]] unsigned CountBits(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555u;
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<unsigned>((x * 0x0101010101010101u) >> 56);
}

// The pixels of a 48-byte step with any byte set in `differ` (a bit per
// byte): a pixel's is the lowest of its three bits after or-ing each bit
// with the two above it.
[[maybe_unused]] unsigned PixelsOfStep(std::uint64_t differ) {
  constexpr std::uint64_t kFirstOfEachPixel = 0x249249249249u;  // bits 0, 3, ..., 45
  return CountBits((differ | differ >> 1 | differ >> 2) & kFirstOfEachPixel);
}

// The largest difference among a pixel's three bytes.
unsigned PixelDifference(const unsigned char* a, const unsigned char* b) {
  unsigned pixel = 0;
  for (std::size_t k = 0; k < kComparedPixelBytes; ++k) {
    const unsigned d = a[k] > b[k] ? unsigned(a[k] - b[k]) : unsigned(b[k] - a[k]);
    pixel = std::max(pixel, d);
  }
  return pixel;
}

}  // namespace

void AddPixelFiguresScalar(const unsigned char* a, const unsigned char* b, std::size_t n,
                           PixelFigures* figures) {
  unsigned largest = figures->max_difference;
  std::uint64_t differing = 0;
  for (std::size_t i = 0; i + kComparedPixelBytes <= n; i += kComparedPixelBytes) {
    const unsigned pixel = PixelDifference(a + i, b + i);
    largest = std::max(largest, pixel);
    differing += pixel != 0 ? 1 : 0;
  }
  figures->max_difference = largest;
  figures->differing_pixels += differing;
}

void AddPixelFigures(const unsigned char* a, const unsigned char* b, std::size_t n,
                     PixelFigures* figures) {
  std::size_t i = 0;
#if defined(__x86_64__)
  // 48 bytes (16 pixels) a step. A bit per byte says it differs; a pixel
  // differs when any of its three bits is set.
  __m128i largest = _mm_setzero_si128();
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t differing = 0;
  for (; i + 48 <= n; i += 48) {
    std::uint64_t equal_bits = 0;
    for (std::size_t v = 0; v < kComparedPixelBytes; ++v) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 16 * v));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 16 * v));
      const __m128i d = _mm_or_si128(_mm_subs_epu8(va, vb), _mm_subs_epu8(vb, va));
      largest = _mm_max_epu8(largest, d);
      const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(d, zero)));
      equal_bits |= std::uint64_t{mask} << (16 * v);
    }
    const std::uint64_t differ = ~equal_bits & 0xFFFFFFFFFFFFu;
    differing += PixelsOfStep(differ);
  }
  alignas(16) unsigned char lanes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), largest);
  figures->max_difference =
      std::max<unsigned>(figures->max_difference, *std::max_element(lanes, lanes + 16));
  figures->differing_pixels += differing;
#endif
  AddPixelFiguresScalar(a + i, b + i, n - i, figures);
}

std::uint64_t CountPixelsBeyondScalar(const unsigned char* a, const unsigned char* b, std::size_t n,
                                      unsigned tolerance) {
  std::uint64_t beyond = 0;
  for (std::size_t i = 0; i + kComparedPixelBytes <= n; i += kComparedPixelBytes) {
    beyond += PixelDifference(a + i, b + i) > tolerance ? 1u : 0u;
  }
  return beyond;
}

std::uint64_t CountPixelsBeyond(const unsigned char* a, const unsigned char* b, std::size_t n,
                                unsigned tolerance) {
  if (tolerance >= 255) {
    return 0;  // no byte differs by more
  }
  std::size_t i = 0;
  std::uint64_t beyond = 0;
#if defined(__x86_64__)
  // As AddPixelFigures, 48 bytes a step: a byte is beyond when its
  // difference less the tolerance, saturated at 0, is not 0.
  const __m128i allowed = _mm_set1_epi8(static_cast<char>(tolerance));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 48 <= n; i += 48) {
    std::uint64_t within_bits = 0;
    for (std::size_t v = 0; v < kComparedPixelBytes; ++v) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 16 * v));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 16 * v));
      const __m128i d = _mm_or_si128(_mm_subs_epu8(va, vb), _mm_subs_epu8(vb, va));
      const __m128i over = _mm_subs_epu8(d, allowed);
      const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(over, zero)));
      within_bits |= std::uint64_t{mask} << (16 * v);
    }
    beyond += PixelsOfStep(~within_bits & 0xFFFFFFFFFFFFu);
  }
#endif
  return beyond + CountPixelsBeyondScalar(a + i, b + i, n - i, tolerance);
}

}  // namespace mae
