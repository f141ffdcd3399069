// The per-pixel figures: the fast pass against the plain loop.
#include "pixel_figures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace mae;

using Bytes = std::vector<unsigned char>;

TEST(PixelFigures, TheFastPassMatchesThePlainLoop) {
  std::mt19937 rng(5);
  for (std::size_t pixels : {0u, 1u, 15u, 16u, 17u, 100u, 1000u}) {
    for (const int sparsity : {1, 7, 500}) {  // how rare a differing byte is
      SCOPED_TRACE(std::to_string(pixels) + " pixels, 1 in " + std::to_string(sparsity));
      Bytes a(pixels * 3);
      for (auto& byte : a) {
        byte = static_cast<unsigned char>(rng());
      }
      Bytes b = a;
      for (auto& byte : b) {
        if (rng() % static_cast<unsigned>(sparsity) == 0) {
          byte = static_cast<unsigned char>(rng());
        }
      }
      PixelFigures fast{3, 10};  // adds to what is there
      PixelFigures plain{3, 10};
      AddPixelFigures(a.data(), b.data(), a.size(), &fast);
      AddPixelFiguresScalar(a.data(), b.data(), a.size(), &plain);
      EXPECT_EQ(fast.max_difference, plain.max_difference);
      EXPECT_EQ(fast.differing_pixels, plain.differing_pixels);
      // Beyond a tolerance of 0 are the differing pixels.
      EXPECT_EQ(CountPixelsBeyond(a.data(), b.data(), a.size(), 0), fast.differing_pixels - 10);
      for (const unsigned tolerance : {1u, 100u, 254u, 255u, 1000u}) {
        EXPECT_EQ(CountPixelsBeyond(a.data(), b.data(), a.size(), tolerance),
                  CountPixelsBeyondScalar(a.data(), b.data(), a.size(), tolerance))
            << "tolerance " << tolerance;
      }
    }
  }
  // One byte of the third channel of pixel 15 (the last of a 48-byte step)
  // and of pixel 16 (the first after it), by 255.
  Bytes a(32 * 3, 0);
  Bytes b = a;
  b[15 * 3 + 2] = 255;
  b[16 * 3] = 1;
  PixelFigures f;
  AddPixelFigures(a.data(), b.data(), a.size(), &f);
  EXPECT_EQ(f.max_difference, 255u);
  EXPECT_EQ(f.differing_pixels, 2u);
  // Above a tolerance: the largest of a pixel's bytes, in and after a step.
  const struct {
    unsigned tolerance;
    std::uint64_t beyond;
  } bounds[] = {{0, 2}, {1, 1}, {254, 1}, {255, 0}};
  for (const auto& c : bounds) {
    EXPECT_EQ(CountPixelsBeyond(a.data(), b.data(), a.size(), c.tolerance), c.beyond)
        << "tolerance " << c.tolerance;
  }
}

}  // namespace
