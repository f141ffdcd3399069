// The structural similarity (SSIM) of two pictures, as scikit-image's
// structural_similarity computes it with gaussian_weights=True, sigma=1.5,
// use_sample_covariance=False, data_range=255 and channel_axis=2: for each
// of the three channels, local means, variances and the covariance under an
// 11 x 11 Gaussian window (sigma 1.5, the window's weights summing to 1),
//   S = (2 ux uy + C1)(2 vxy + C2) / ((ux^2 + uy^2 + C1)(vx + vy + C2)),
// C1 = (0.01 x 255)^2, C2 = (0.03 x 255)^2, averaged over the positions at
// least 5 pixels from every edge; then the mean of the three channels.
#ifndef MAE_CHECK_SSIM_H
#define MAE_CHECK_SSIM_H

#include <cstdint>
#include <optional>
#include <vector>

#include "image_view.h"

namespace mae::check {

// The window's side: a picture narrower or lower than this has no SSIM.
inline constexpr std::uint32_t kSsimWindow = 11;

// A rectangle of a picture, top-left origin.
struct PixelRect {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  bool operator==(const PixelRect& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
  bool operator!=(const PixelRect& o) const { return !(*this == o); }
};

// The SSIM of `output` against `reference`, two views of the same size
// (the compared area), from -1 to 1; nothing when either side is below
// kSsimWindow. Inside the rectangles of `same` the output takes the
// reference's values. Reads each row of both pictures once, and allocates
// a few rows.
std::optional<double> Ssim(const ImageView& output, const ImageView& reference,
                           const std::vector<PixelRect>& same = {});

}  // namespace mae::check

#endif  // MAE_CHECK_SSIM_H
