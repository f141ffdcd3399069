#include "diagnosis.h"

#include <algorithm>

#include "bounded_sum.h"
#include "geometry.h"
#include "sum_abs_diff.h"
#include "value_checks.h"

namespace mae::check {

void FindMistakes(const ImageView& o, const ImageView& r, double mae, unsigned largest,
                  Findings* f) {
  const bool same_size = o.width == r.width && o.height == r.height;
  const std::uint32_t w = std::min(o.width, r.width), h = std::min(o.height, r.height);
  const double limit = mae / 10;
  double mean = 0;
  const double floor =
      o.width == r.height && o.height == r.width ? RearrangedFloor(o, r, limit) : 0;
  if (same_size && mae > 0) {
    SameSizeMistakes(o, r, limit, floor, f);
  }
  const bool found = f->channels_swapped || f->flipped_vertically || f->flipped_horizontally ||
                     f->rotated_180 || f->shifted;
  // Rows and columns exchanged: W x H against H x W, or a square picture.
  // As the picture is seen (x and y swapped in display order), or as it is
  // stored (loops over the stored rows, bottom row first, with x and y
  // swapped); red and blue swapped as well, or not.
  if (o.width == r.height && o.height == r.width && (!same_size || (!found && mae > 0)) &&
      floor <= limit) {
    for (const bool storage : {false, true}) {
      for (const bool swap : {false, true}) {
        if (!f->transposed && TransposedWithin(o, r, storage, swap, limit)) {
          f->transposed = true;
          f->channels_swapped = swap;
        }
      }
    }
  }
  // A "valid" convolution: the output 2N smaller each way, equal to the
  // reference's inside.
  for (std::uint32_t n = 1; n <= kMaxBorder && !same_size; ++n) {
    if (std::uint64_t{o.width} + 2 * n == r.width && std::uint64_t{o.height} + 2 * n == r.height) {
      const auto inside = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
        return SumAbsDiff(At(o, x0, y), At(r, x0 + n, y + n),
                          std::size_t{x1 - x0} * kComparedPixelBytes);
      };
      if (MeanWithin(0, 0, o.width, o.height, limit, inside, &mean)) {
        f->left_out = n;
      }
    }
  }
  if (largest > 0 && w > 0 && h > 0) {
    f->border = BorderDepth(o, r, w, h);
  }
  f->rounding = largest == 1;
  // Values that wrap round leave differences only where the reference is
  // held at 0 or 255; all of them near the edge is a border's doing.
  f->no_clamping = same_size && f->border == 0 && largest > 0 && OnlySaturatedDiffer(o, r);
  if (same_size && largest > 1) {
    f->offset = Offset(o, r);
  }
  // One grey and the other in colour says something only when greying the
  // colour one would undo the difference, and there is more to undo than
  // rounding: differences of 1 alone are said as such.
  const bool grey_output = largest > 1 && AllGrey(o);
  const bool grey_reference = largest > 1 && AllGrey(r);
  f->grey_output = grey_output && !grey_reference && GreyingExplains(o, r, limit);
  f->grey_reference = grey_reference && !grey_output && GreyingExplains(r, o, limit);
}

}  // namespace mae::check
