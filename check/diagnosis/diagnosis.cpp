#include "diagnosis.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

#include "fnv1a.h"
#include "sum_abs_diff.h"

namespace mae::check {

namespace {

constexpr int kMaxShift = 2;
constexpr std::uint32_t kMaxBorder = 8;

// A pixel of `image` at (x, y), top row first.
const unsigned char* At(const ImageView& image, std::uint32_t x, std::uint32_t y) {
  return image.row(image.height - 1 - y) + std::size_t{x} * kComparedPixelBytes;
}

unsigned Diff(unsigned char a, unsigned char b) {
  return static_cast<unsigned>(std::abs(int{a} - int{b}));
}

// The sum of row_sum(y, x0, x1), the absolute differences of a row's
// bytes from x0 to x1, over every `step`th row of the area from y0; or
// nothing once it passes `budget`.
template <typename RowSum>
bool SumWithin(std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
               std::uint32_t step, double budget, const RowSum& row_sum, std::uint64_t* sum) {
  *sum = 0;
  for (std::uint32_t y = y0; y < y1; y += step) {
    *sum += row_sum(y, x0, x1);
    if (static_cast<double>(*sum) > budget) {
      return false;
    }
  }
  return true;
}

// The sum of the absolute differences between a row of the output, from
// pixel x0 to x1, and the pixels an explanation predicts for it:
// predict(p, x) writes the 3 bytes it expects at x into p. The prediction
// goes a piece at a time into a buffer on the stack, and the fast pass of
// the comparison sums each piece.
template <typename Predict>
std::uint64_t PredictedRowSum(const unsigned char* out_row, std::uint32_t x0, std::uint32_t x1,
                              const Predict& predict) {
  constexpr std::uint32_t kPiece = 256;  // pixels
  unsigned char piece[kPiece * kComparedPixelBytes];
  std::uint64_t sum = 0;
  for (std::uint32_t x = x0; x < x1; x += kPiece) {
    const std::uint32_t n = std::min(kPiece, x1 - x);
    for (std::uint32_t i = 0; i < n; ++i) {
      predict(piece + std::size_t{i} * kComparedPixelBytes, x + i);
    }
    sum += SumAbsDiff(out_row + std::size_t{x} * kComparedPixelBytes, piece,
                      std::size_t{n} * kComparedPixelBytes);
  }
  return sum;
}

// Whether the mean of err(x, y, k), the difference between the output and
// what an explanation predicts, stays at most `limit` over the area; its
// mean in *mean when it does. A tall area is first summed on every eighth
// row, which rules an explanation out at a fraction of a pass's cost when
// those rows alone already pass what the whole area may hold: a proof, as
// the other rows only add, never a guess from the sample.
template <typename Err>
bool MeanWithin(std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
                double limit, const Err& err, double* mean) {
  constexpr std::uint32_t kSample = 8;
  const double count = static_cast<double>(x1 - x0) * (y1 - y0) * kComparedPixelBytes;
  if (count <= 0) {
    return false;
  }
  const double budget = limit * count;
  std::uint64_t sum = 0;
  if (y1 - y0 >= 8 * kSample && !SumWithin(x0, y0, x1, y1, kSample, budget, err, &sum)) {
    return false;
  }
  if (!SumWithin(x0, y0, x1, y1, 1, budget, err, &sum)) {
    return false;
  }
  *mean = static_cast<double>(sum) / count;
  return true;
}

// Every pixel grey: its three bytes within 1 of each other, as rounding
// in a grey program may leave them.
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

// The picture as a mistake leaves it: the reference's byte k at (x, y)
// becomes the output's at place(x, y), with red and blue swapped first when
// `swap` is set.
struct Mistake {
  bool swap;
  int kind;  // 0 as is, 1 upside down, 2 mirrored, 3 turned 180 degrees
};

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

// The absolute differences of n bytes (at most kUnwrappedPiece) but those
// where b is 255 and a below 128, or b is 0 and a above 127. Written
// without branches so that the compiler runs it on vector registers.
constexpr std::size_t kUnwrappedPiece = 1 << 16;  // a 32-bit sum holds it

inline __attribute__((always_inline)) std::uint32_t UnwrappedSumBody(const unsigned char* a,
                                                                     const unsigned char* b,
                                                                     std::size_t n) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t p = a[i], q = b[i];
    const std::uint32_t d = p > q ? p - q : q - p;
    const std::uint32_t wrap = ((q == 255) & (p < 128)) | ((q == 0) & (p > 127));
    sum += d & (wrap - 1);
  }
  return sum;
}

__attribute__((target("avx2"))) std::uint32_t UnwrappedSumAvx2(const unsigned char* a,
                                                               const unsigned char* b,
                                                               std::size_t n) {
  return UnwrappedSumBody(a, b, n);
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");

// Values wrapped round instead of held at 0 and 255: the bytes where the
// reference is 255 and the output below 128, or 0 and above 127, make nine
// tenths of every difference or more. Stops once the other bytes' share
// proves it cannot.
bool WrappedRound(const ImageView& o, const ImageView& r, double mae) {
  const double total = mae * static_cast<double>(o.width) * kComparedPixelBytes * o.height;
  const double other_budget = total / 10;
  // The differences of a row's bytes from x0 to x1 that are not wrapped.
  const auto other = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
    const unsigned char* a = o.row(y);
    const unsigned char* b = r.row(y);
    std::uint64_t sum = 0;
    const std::size_t end = std::size_t{x1} * kComparedPixelBytes;
    for (std::size_t start = std::size_t{x0} * kComparedPixelBytes; start < end;
         start += kUnwrappedPiece) {
      const std::size_t n = std::min(end - start, kUnwrappedPiece);
      sum += kHasAvx2 ? UnwrappedSumAvx2(a + start, b + start, n)
                      : UnwrappedSumBody(a + start, b + start, n);
    }
    return sum;
  };
  std::uint64_t sum = 0;
  if (!SumWithin(0, 0, o.width, o.height, 1, other_budget, other, &sum)) {
    return false;
  }
  return total - static_cast<double>(sum) > 0.5;  // some difference is wrapped
}

}  // namespace

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
  f->no_clamping = same_size && largest > 127 && WrappedRound(o, r, mae);
  if (same_size && largest > 1) {
    f->offset = Offset(o, r);
  }
  // One grey and the other in colour says something only when greying the
  // colour one would undo the difference.
  const bool grey_output = AllGrey(o), grey_reference = AllGrey(r);
  f->grey_output = grey_output && !grey_reference && GreyingExplains(o, r, limit);
  f->grey_reference = grey_reference && !grey_output && GreyingExplains(r, o, limit);
}

void AddDiagnosis(Diagnosis d, std::vector<Diagnosis>* list) {
  const auto rank = [](const std::string& code) {
    std::size_t i = 0;
    while (i < std::size(kDiagnoses) && code != kDiagnoses[i].code) {
      ++i;
    }
    return i;
  };
  const std::size_t at = rank(d.code);
  auto place = list->begin();
  while (place != list->end() && rank(place->code) <= at) {
    ++place;
  }
  list->insert(place, std::move(d));
}

void MatchWithin(const ImageView& a, const ImageView* others, std::size_t count, double limit,
                 std::uint64_t* sums, bool* within) {
  const std::size_t bytes = std::size_t{a.width} * kComparedPixelBytes;
  const double budget = limit * static_cast<double>(bytes) * a.height;
  std::size_t left = 0;
  for (std::size_t k = 0; k < count; ++k) {
    within[k] =
        others[k].width == a.width && others[k].height == a.height && bytes > 0 && a.height > 0;
    left += within[k] ? 1 : 0;
  }
  // Rows in order: a sample of every eighth row would touch every page of
  // mapped files, where a proof needs a tenth of them.
  std::fill(sums, sums + count, 0);
  for (std::uint32_t y = 0; y < a.height && left > 0; ++y) {
    const unsigned char* row = a.row(y);
    for (std::size_t k = 0; k < count; ++k) {
      if (within[k]) {
        sums[k] += SumAbsDiff(row, others[k].row(y), bytes);
        if (static_cast<double>(sums[k]) > budget) {
          within[k] = false;
          --left;
        }
      }
    }
  }
}

std::uint64_t PixelHash(const ImageView& image) {
  // FNV-1a over 8 bytes at a time, then the last few of each row one by
  // one; the padding between rows is not the picture's.
  std::uint64_t hash = kFnvOffset ^ image.width ^ (std::uint64_t{image.height} << 32);
  const std::size_t bytes = std::size_t{image.width} * kComparedPixelBytes;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.row(y);
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, row + i, 8);
      hash = FnvStep(hash, word);
      hash ^= hash >> 29;
    }
    for (; i < bytes; ++i) {
      hash = FnvStep(hash, row[i]);
    }
  }
  return hash;
}

}  // namespace mae::check
