// mae-check's metrics: SSIM against scikit-image's own figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ssim.h"

namespace {

using namespace mae::check;

// A picture and a noisy copy of it, as the values below were computed in
// scikit-image 0.19 (structural_similarity with gaussian_weights=True,
// sigma=1.5, use_sample_covariance=False, data_range=255, channel_axis=2)
// from the same formulas, row y of the arrays as row y here.
struct Pair {
  std::vector<unsigned char> a;
  std::vector<unsigned char> b;
};

Pair Make(std::uint32_t w, std::uint32_t h) {
  Pair p;
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      for (std::uint32_t c = 0; c < 3; ++c) {
        const int a = static_cast<int>((x * 3 + y * 5 + c * 50 + (x * y) % 7) % 256);
        p.a.push_back(static_cast<unsigned char>(a));
        p.b.push_back(static_cast<unsigned char>(
            std::clamp(a + static_cast<int>((x * 7 + y * 11 + c * 13) % 41) - 20, 0, 255)));
      }
    }
  }
  return p;
}

TEST(Metrics, SsimIsScikitImages) {
  const struct {
    std::uint32_t width, height;
    double ssim;
  } rows[] = {
      {11, 11, 0.5799886597350102}, {13, 12, 0.5948723462413494}, {64, 37, 0.7006147952749497}};
  for (const auto& row : rows) {
    const Pair p = Make(row.width, row.height);
    const ImageView a{p.a.data(), row.width, row.height, 0};
    const ImageView b{p.b.data(), row.width, row.height, 0};
    EXPECT_NEAR(Ssim(a, b).value_or(-2), row.ssim, 1e-12) << row.width << "x" << row.height;
    EXPECT_NEAR(Ssim(b, a).value_or(-2), row.ssim, 1e-12) << "symmetric";
    EXPECT_NEAR(Ssim(a, a).value_or(-2), 1.0, 1e-12);
    // The whole output given the reference's values is the reference.
    EXPECT_NEAR(Ssim(a, b, {{0, 0, row.width, row.height}}).value_or(-2), 1.0, 1e-12);
  }
}

TEST(Metrics, SsimNeedsAWindowAndEqualSizes) {
  const Pair p = Make(11, 11);
  EXPECT_FALSE(Ssim({p.a.data(), 10, 11, 33}, {p.b.data(), 10, 11, 33}));
  EXPECT_FALSE(Ssim({p.a.data(), 11, 10, 0}, {p.b.data(), 11, 10, 0}));
  EXPECT_FALSE(Ssim({p.a.data(), 11, 11, 0}, {p.b.data(), 11, 10, 0}));
  // A rectangle that covers the output only in part changes the figure;
  // one beyond the picture does nothing.
  const ImageView a{p.a.data(), 11, 11, 0};
  const ImageView b{p.b.data(), 11, 11, 0};
  EXPECT_GT(Ssim(a, b, {{2, 3, 4, 4}}).value_or(-2), Ssim(a, b).value_or(-2));
  EXPECT_EQ(Ssim(a, b, {{11, 0, 5, 5}, {0, 11, 5, 5}}), Ssim(a, b));
}

}  // namespace
