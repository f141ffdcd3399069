#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bounded_sum.h"

namespace mae::check {

// The smallest N for which every differing pixel of the common area lies
// within N pixels of its edge, or 0 when some lies deeper than kMaxBorder.
std::uint32_t BorderDepth(const ImageView& o, const ImageView& r, std::uint32_t w,
                          std::uint32_t h) {
  std::uint32_t depth = 0;
  for (std::uint32_t y = 0; y < h; ++y) {
    // Rows of the common area, top first: the images share their bottom.
    const unsigned char* a = At(o, 0, y + (o.height - h));
    const unsigned char* b = At(r, 0, y + (r.height - h));
    if (std::memcmp(a, b, std::size_t{w} * kComparedPixelBytes) == 0) {
      continue;  // most rows: one fast look
    }
    for (std::uint32_t x = 0; x < w; ++x) {
      if (a[x * kComparedPixelBytes] == b[x * kComparedPixelBytes] &&
          a[x * kComparedPixelBytes + 1] == b[x * kComparedPixelBytes + 1] &&
          a[x * kComparedPixelBytes + 2] == b[x * kComparedPixelBytes + 2]) {
        continue;
      }
      const std::uint32_t inside = std::min({x, y, w - 1 - x, h - 1 - y}) + 1;
      if (inside > kMaxBorder) {
        return 0;
      }
      depth = std::max(depth, inside);
    }
  }
  return depth;
}

namespace {

// The sum of every byte of a picture's pixels.
std::uint64_t ByteSum(const ImageView& image) {
  static const unsigned char kZeros[4096] = {};
  const std::size_t bytes = std::size_t{image.width} * kComparedPixelBytes;
  std::uint64_t sum = 0;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    for (std::size_t i = 0; i < bytes; i += sizeof kZeros) {
      sum += SumAbsDiff(image.row(y) + i, kZeros, std::min(bytes - i, sizeof kZeros));
    }
  }
  return sum;
}

}  // namespace

// A floor under the mean difference any rearrangement of the reference's
// bytes leaves (a flip, a turn, a transposition, red and blue swapped):
// the sum of |a - b| is at least |sum a - sum b|. Worth its pass only where
// the tenth of the MAE is large, and so the proof from rows read is long.
double RearrangedFloor(const ImageView& o, const ImageView& r, double limit) {
  if (limit < 1 || o.width == 0 || o.height == 0) {
    return 0;
  }
  const double gap = std::abs(static_cast<double>(ByteSum(o)) - static_cast<double>(ByteSum(r)));
  return gap / (static_cast<double>(o.width) * o.height * kComparedPixelBytes);
}

// Whether the output is the reference with rows and columns exchanged
// (as seen, or as stored: see FindMistakes), red and blue swapped or not,
// within `limit` a byte. Read in tiles, so that the reference's columns
// come from a few cached rows rather than a row each; given up as soon as
// the tiles read pass what the whole picture may hold.
bool TransposedWithin(const ImageView& o, const ImageView& r, bool storage, bool swap,
                      double limit) {
  constexpr std::uint32_t kTile = 64;
  const double budget =
      limit * static_cast<double>(o.width) * o.height * static_cast<double>(kComparedPixelBytes);
  std::uint64_t sum = 0;
  for (std::uint32_t ty = 0; ty < o.height; ty += kTile) {
    for (std::uint32_t tx = 0; tx < o.width; tx += kTile) {
      for (std::uint32_t y = ty; y < std::min(o.height, ty + kTile); ++y) {
        for (std::uint32_t x = tx; x < std::min(o.width, tx + kTile); ++x) {
          const unsigned char* p = At(o, x, y);
          const unsigned char* q =
              storage ? At(r, o.height - 1 - y, r.height - 1 - x) : At(r, y, x);
          sum += Diff(p[0], q[swap ? 2 : 0]) + Diff(p[1], q[1]) + Diff(p[2], q[swap ? 0 : 2]);
        }
      }
      if (static_cast<double>(sum) > budget) {
        return false;
      }
    }
  }
  return o.width > 0 && o.height > 0;
}

namespace {

// The picture as a mistake leaves it: the reference's byte k at (x, y)
// becomes the output's at place(x, y), with red and blue swapped first when
// `swap` is set.
struct Mistake {
  bool swap;
  int kind;  // 0 as is, 1 upside down, 2 mirrored, 3 turned 180 degrees
};

}  // namespace

// The mistakes that keep the picture's size: swapped channels, flips,
// rotation and small shifts, each held to `limit`; then, where none holds,
// swapped channels with a flip or a shift.
void SameSizeMistakes(const ImageView& o, const ImageView& r, double limit, double floor,
                      Findings* f) {
  const std::uint32_t w = o.width, h = o.height;
  // `floor` (RearrangedFloor) rules out every rearrangement of the whole
  // picture once it passes the limit; a shift by up to kMaxShift leaves out
  // at most kMaxShift rows and columns of each picture, 255 a byte, which
  // lowers the floor by `edge`.
  const double edge =
      255.0 * 2 * kMaxShift * (static_cast<double>(w) + h) / (static_cast<double>(w) * h);
  const bool rearranged = floor <= limit;
  const bool moved_ok = floor - edge <= limit;
  double mean = 0;
  const auto holds = [&](Mistake m) {
    if (!rearranged) {
      return false;
    }
    const auto row_sum = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
      const std::uint32_t ry = m.kind == 1 || m.kind == 3 ? h - 1 - y : y;
      const bool mirror = m.kind == 2 || m.kind == 3;
      return PredictedRowSum(At(o, 0, y), x0, x1, [&](unsigned char* p, std::uint32_t x) {
        const unsigned char* q = At(r, mirror ? w - 1 - x : x, ry);
        p[0] = q[m.swap ? 2 : 0], p[1] = q[1], p[2] = q[m.swap ? 0 : 2];
      });
    };
    return MeanWithin(0, 0, w, h, limit, row_sum, &mean);
  };
  f->channels_swapped = holds({true, 0});
  // Whole rows against whole rows: the fast pass of the comparison itself.
  const auto upside_down = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
    return SumAbsDiff(At(o, x0, y), At(r, x0, h - 1 - y),
                      std::size_t{x1 - x0} * kComparedPixelBytes);
  };
  f->flipped_vertically = rearranged && MeanWithin(0, 0, w, h, limit, upside_down, &mean);
  f->flipped_horizontally = holds({false, 2});
  if (!f->flipped_vertically && !f->flipped_horizontally) {
    f->rotated_180 = holds({false, 3});
  }
  // The output as the reference moved by (dx, dy), over their overlap.
  const auto find_shift = [&](bool swap) {
    double best = limit;
    bool found = false;
    for (int dy = -kMaxShift; dy <= kMaxShift && moved_ok && w > 2 * kMaxShift && h > 2 * kMaxShift;
         ++dy) {
      for (int dx = -kMaxShift; dx <= kMaxShift; ++dx) {
        if (dx == 0 && dy == 0) {
          continue;
        }
        const auto moved = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
          const auto ry = static_cast<std::uint32_t>(int(y) - dy);
          if (!swap) {
            return SumAbsDiff(At(o, x0, y), At(r, static_cast<std::uint32_t>(int(x0) - dx), ry),
                              std::size_t{x1 - x0} * kComparedPixelBytes);
          }
          return PredictedRowSum(At(o, 0, y), x0, x1, [&](unsigned char* p, std::uint32_t x) {
            const unsigned char* q = At(r, static_cast<std::uint32_t>(int(x) - dx), ry);
            p[0] = q[2], p[1] = q[1], p[2] = q[0];
          });
        };
        const auto x0 = static_cast<std::uint32_t>(std::max(dx, 0));
        const auto y0 = static_cast<std::uint32_t>(std::max(dy, 0));
        const auto x1 = static_cast<std::uint32_t>(int(w) + std::min(dx, 0));
        const auto y1 = static_cast<std::uint32_t>(int(h) + std::min(dy, 0));
        if (MeanWithin(x0, y0, x1, y1, best, moved, &mean) && (!found || mean < best)) {
          found = true;
          best = mean;
          f->dx = dx;
          f->dy = dy;
        }
      }
    }
    return found;
  };
  f->shifted = find_shift(false);
  const bool single = f->channels_swapped || f->flipped_vertically || f->flipped_horizontally ||
                      f->rotated_180 || f->shifted;
  if (single) {
    return;
  }
  // Two mistakes at once: red and blue swapped, and the rows or the
  // picture flipped, or the picture moved.
  for (const int kind : {1, 2}) {
    if (holds({true, kind})) {
      f->channels_swapped = true;
      (kind == 1 ? f->flipped_vertically : f->flipped_horizontally) = true;
      return;
    }
  }
  if (find_shift(true)) {
    f->channels_swapped = true;
    f->shifted = true;
  }
}

}  // namespace mae::check
