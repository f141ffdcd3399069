#include "ssim.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace mae::check {

namespace {

constexpr int kRadius = static_cast<int>(kSsimWindow / 2);  // 5
constexpr int kRing = static_cast<int>(kSsimWindow);        // rows kept at once
constexpr int kChannels = 3;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);

// The Gaussian's weights from the centre out, summing to 1 over the
// window: exp(-k^2 / (2 sigma^2)), divided by their sum.
std::array<double, kRadius + 1> Weights() {
  constexpr double kSigma = 1.5;
  std::array<double, kRadius + 1> w{};
  double sum = 0;
  for (int k = -kRadius; k <= kRadius; ++k) {
    sum += std::exp(-0.5 / (kSigma * kSigma) * k * k);
  }
  for (int k = 0; k <= kRadius; ++k) {
    w[static_cast<std::size_t>(k)] = std::exp(-0.5 / (kSigma * kSigma) * k * k) / sum;
  }
  return w;
}

// The five quantities the window averages, for one channel of one row:
// x, y, x^2, y^2 and x y. Bytes and their products are exact in float.
enum Quantity { kX, kY, kXX, kYY, kXY, kQuantities };

// Rows of one channel's quantities, as read: row r in slot r % kRing.
struct Ring {
  std::uint32_t width;
  std::vector<float> data;  // kRing x kQuantities x width

  float* at(std::uint32_t row, int q) {
    return &data[((row % kRing) * std::size_t{kQuantities} + static_cast<std::size_t>(q)) * width];
  }
};

// The body of the pass over one output row of one channel, written so that
// the compiler runs its loops over columns on vector registers: the window's
// vertical sums into `column` (kQuantities x width), then the horizontal
// sums and S at every column at least kRadius from the edges (`window`,
// kQuantities x width, takes the window's means). Returns the sum of S
// over the row.
inline __attribute__((always_inline)) double RowBody(Ring* ring, std::uint32_t row, const double* w,
                                                     double* column, double* window) {
  const std::uint32_t width = ring->width;
  for (int q = 0; q < kQuantities; ++q) {
    const float* rows[kRing];
    for (int k = -kRadius; k <= kRadius; ++k) {
      rows[k + kRadius] = ring->at(static_cast<std::uint32_t>(std::int64_t{row} + k), q);
    }
    double* out = column + std::size_t{width} * static_cast<std::size_t>(q);
    for (std::uint32_t c = 0; c < width; ++c) {
      double sum = w[0] * rows[kRadius][c];
      for (int k = 1; k <= kRadius; ++k) {
        sum += w[k] * (double{rows[kRadius - k][c]} + double{rows[kRadius + k][c]});
      }
      out[c] = sum;
    }
  }
  // The horizontal sums, a quantity at a time, into the first columns of
  // `window` (kQuantities x width): window[q][c] for the window centred on
  // column c + kRadius.
  const std::uint32_t inside = width - 2 * kRadius;
  for (int q = 0; q < kQuantities; ++q) {
    // v[c] is the column at the window's centre: kRadius in from the edge.
    const double* v = column + std::size_t{width} * static_cast<std::size_t>(q) + kRadius;
    double* u = window + std::size_t{width} * static_cast<std::size_t>(q);
    const double* left[kRadius + 1];
    const double* right[kRadius + 1];
    for (int k = 1; k <= kRadius; ++k) {
      left[k] = v - k;
      right[k] = v + k;
    }
    for (std::uint32_t c = 0; c < inside; ++c) {
      double sum = w[0] * v[c];
      for (int k = 1; k <= kRadius; ++k) {
        sum += w[k] * (left[k][c] + right[k][c]);
      }
      u[c] = sum;
    }
  }
  const double* ux = window;
  const double* uy = window + width;
  const double* uxx = window + 2 * std::size_t{width};
  const double* uyy = window + 3 * std::size_t{width};
  const double* uxy = window + 4 * std::size_t{width};
  // S at each column, into the first free row of `column`, then summed in
  // order: the loop with the division runs on vector registers.
  double* s = column;
  for (std::uint32_t c = 0; c < inside; ++c) {
    const double vx = uxx[c] - ux[c] * ux[c];
    const double vy = uyy[c] - uy[c] * uy[c];
    const double vxy = uxy[c] - ux[c] * uy[c];
    s[c] = (2 * ux[c] * uy[c] + kC1) * (2 * vxy + kC2) /
           ((ux[c] * ux[c] + uy[c] * uy[c] + kC1) * (vx + vy + kC2));
  }
  double sum = 0;
  for (std::uint32_t c = 0; c < inside; ++c) {
    sum += s[c];
  }
  return sum;
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma")))
#endif
double
RowAvx2(Ring* ring, std::uint32_t row, const double* w, double* column, double* window) {
  return RowBody(ring, row, w, column, window);
}

double RowPlain(Ring* ring, std::uint32_t row, const double* w, double* column, double* window) {
  return RowBody(ring, row, w, column, window);
}

#if defined(__x86_64__)
const bool kHasAvx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
constexpr bool kHasAvx2 = false;  // the web page's WebAssembly: the plain loop
#endif

// Reads row `row` of both pictures into the rings, one a channel: the
// output's bytes but where a rectangle of `same` gives it the reference's.
void LoadRow(const ImageView& o, const ImageView& r, const std::vector<PixelRect>& same,
             std::uint32_t row, std::array<Ring, kChannels>* rings) {
  const unsigned char* a = o.row(row);
  const unsigned char* b = r.row(row);
  const std::uint32_t top_y = o.height - 1 - row;  // the rectangles count from the top
  for (int ch = 0; ch < kChannels; ++ch) {
    Ring& ring = (*rings)[static_cast<std::size_t>(ch)];
    float* q[kQuantities];
    for (int k = 0; k < kQuantities; ++k) {
      q[k] = ring.at(row, k);
    }
    for (std::uint32_t c = 0; c < o.width; ++c) {
      const float x = a[std::size_t{c} * 3 + static_cast<std::size_t>(ch)];
      const float y = b[std::size_t{c} * 3 + static_cast<std::size_t>(ch)];
      q[kX][c] = x;
      q[kY][c] = y;
      q[kXX][c] = x * x;
      q[kYY][c] = y * y;
      q[kXY][c] = x * y;
    }
    for (const PixelRect& rect : same) {
      if (top_y < rect.y || top_y - rect.y >= rect.height || rect.x >= o.width) {
        continue;
      }
      const std::uint32_t end = rect.x + std::min(rect.width, o.width - rect.x);
      for (std::uint32_t c = rect.x; c < end; ++c) {
        q[kX][c] = q[kY][c];
        q[kXX][c] = q[kYY][c];
        q[kXY][c] = q[kYY][c];
      }
    }
  }
}

}  // namespace

std::optional<double> Ssim(const ImageView& output, const ImageView& reference,
                           const std::vector<PixelRect>& same) {
  const std::uint32_t width = output.width;
  const std::uint32_t height = output.height;
  if (width < kSsimWindow || height < kSsimWindow || reference.width != width ||
      reference.height != height) {
    return std::nullopt;
  }
  static const std::array<double, kRadius + 1> kWeights = Weights();
  std::array<Ring, kChannels> rings;
  for (Ring& ring : rings) {
    ring.width = width;
    ring.data.assign(std::size_t{kRing} * kQuantities * width, 0.0F);
  }
  std::vector<double> column(std::size_t{kQuantities} * width);
  std::vector<double> window(std::size_t{kQuantities} * width);
  for (std::uint32_t row = 0; row + 1 < kSsimWindow; ++row) {
    LoadRow(output, reference, same, row, &rings);
  }
  double sums[kChannels] = {};
  for (std::uint32_t row = kRadius; row + kRadius < height; ++row) {
    LoadRow(output, reference, same, row + kRadius, &rings);
    for (int ch = 0; ch < kChannels; ++ch) {
      Ring* ring = &rings[static_cast<std::size_t>(ch)];
      sums[ch] += kHasAvx2 ? RowAvx2(ring, row, kWeights.data(), column.data(), window.data())
                           : RowPlain(ring, row, kWeights.data(), column.data(), window.data());
    }
  }
  const double positions = static_cast<double>(width - 2 * kRadius) * (height - 2 * kRadius);
  return (sums[0] / positions + sums[1] / positions + sums[2] / positions) / kChannels;
}

}  // namespace mae::check
