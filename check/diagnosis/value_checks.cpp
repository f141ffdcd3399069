#include "value_checks.h"

#include <algorithm>
#include <cstring>

#include "bounded_sum.h"

namespace mae::check {

bool AllGrey(const ImageView& image) {
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.row(y);
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const unsigned char* p = row + std::size_t{x} * kComparedPixelBytes;
      const auto [low, high] = std::minmax({p[0], p[1], p[2]});
      if (high - low > 1) {
        return false;
      }
    }
  }
  return image.width > 0 && image.height > 0;
}

// Whether the colour picture, each pixel set to one grey value (the mean of
// its bytes, or BT.601 luma), is the grey one within `limit` a byte over
// the rows both share (their bottom rows).
bool GreyingExplains(const ImageView& grey, const ImageView& colour, double limit) {
  const std::uint32_t w = std::min(grey.width, colour.width);
  const std::uint32_t h = std::min(grey.height, colour.height);
  double mean = 0;
  for (const bool luma : {false, true}) {
    const auto greyed = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
      const unsigned char* row = colour.row(y);
      return PredictedRowSum(grey.row(y), x0, x1, [&](unsigned char* p, std::uint32_t x) {
        const unsigned char* q = row + std::size_t{x} * kComparedPixelBytes;
        // Stored blue, green, red.
        const unsigned v = luma ? (114u * q[0] + 587u * q[1] + 299u * q[2] + 500) / 1000
                                : (0u + q[0] + q[1] + q[2] + 1) / 3;
        p[0] = p[1] = p[2] = static_cast<unsigned char>(v);
      });
    };
    if (MeanWithin(0, 0, w, h, limit, greyed, &mean)) {
      return true;
    }
  }
  return false;
}

// The amount N for which every output byte is the reference's plus N,
// held within 0-255, or 0 when no one amount does.
int Offset(const ImageView& o, const ImageView& r) {
  const std::size_t bytes = std::size_t{o.width} * kComparedPixelBytes;
  int n = 0;
  for (std::uint32_t y = 0; y < o.height && n == 0; ++y) {
    const unsigned char* a = o.row(y);
    const unsigned char* b = r.row(y);
    if (std::memcmp(a, b, bytes) == 0) {
      continue;
    }
    for (std::size_t i = 0; i < bytes && n == 0; ++i) {
      if (a[i] != b[i] && a[i] != 0 && a[i] != 255) {
        n = int{a[i]} - int{b[i]};
      }
    }
  }
  for (std::uint32_t y = 0; y < o.height && n != 0; ++y) {
    const unsigned char* a = o.row(y);
    const unsigned char* b = r.row(y);
    for (std::size_t i = 0; i < bytes; ++i) {
      if (a[i] != std::clamp(int{b[i]} + n, 0, 255)) {
        return 0;
      }
    }
  }
  return n;
}

namespace {

// How many bytes of n (at most kPiece) differ where the reference is
// neither 0 nor 255. Written without branches so that the compiler runs it
// on vector registers.
constexpr std::size_t kPiece = std::size_t{1} << 20;

inline __attribute__((always_inline)) std::uint32_t UnsaturatedBody(const unsigned char* a,
                                                                    const unsigned char* b,
                                                                    std::size_t n) {
  std::uint32_t count = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t p = a[i], q = b[i];
    count += static_cast<std::uint32_t>((p != q) & (q != 0) & (q != 255));
  }
  return count;
}

#if defined(__x86_64__)
__attribute__((target("avx2")))
#endif
std::uint32_t
UnsaturatedAvx2(const unsigned char* a, const unsigned char* b, std::size_t n) {
  return UnsaturatedBody(a, b, n);
}

#if defined(__x86_64__)
const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#else
constexpr bool kHasAvx2 = false;  // the web page's WebAssembly: the plain loop
#endif

}  // namespace

bool OnlySaturatedDiffer(const ImageView& o, const ImageView& r) {
  const std::size_t bytes = std::size_t{o.width} * kComparedPixelBytes;
  bool differ = false;
  for (std::uint32_t y = 0; y < o.height; ++y) {
    const unsigned char* a = o.row(y);
    const unsigned char* b = r.row(y);
    if (std::memcmp(a, b, bytes) == 0) {
      continue;
    }
    differ = true;
    for (std::size_t start = 0; start < bytes; start += kPiece) {
      const std::size_t n = std::min(kPiece, bytes - start);
      const std::uint32_t others = kHasAvx2 ? UnsaturatedAvx2(a + start, b + start, n)
                                            : UnsaturatedBody(a + start, b + start, n);
      if (others != 0) {
        return false;
      }
    }
  }
  return differ;
}

}  // namespace mae::check
