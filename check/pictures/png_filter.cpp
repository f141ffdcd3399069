#include "png_filter.h"

#include <array>
#include <cstring>
#include <vector>

namespace mae::check {

namespace {

// The Paeth predictor, in 16-bit steps so that the loop below compiles to
// vector instructions.
inline unsigned char Paeth(short a, short b, short c) {
  const auto pa = static_cast<short>(b > c ? b - c : c - b);
  const auto pb = static_cast<short>(a > c ? a - c : c - a);
  const auto sum = static_cast<short>(a + b - 2 * c);
  const auto pc = static_cast<short>(sum < 0 ? -sum : sum);
  const short b_or_c = pb <= pc ? b : c;
  return static_cast<unsigned char>(pa <= (pb < pc ? pb : pc) ? a : b_or_c);
}

template <PngFilter F>
unsigned char Predict(unsigned char a, unsigned char b, unsigned char c) {
  switch (F) {
    case PngFilter::kSub:
      return a;
    case PngFilter::kUp:
      return b;
    case PngFilter::kAverage:
      return static_cast<unsigned char>((unsigned{a} + b) / 2);
    case PngFilter::kPaeth:
      return Paeth(a, b, c);
    default:
      return 0;
  }
}

// The first pixel has nothing to its left; from then on no byte needs a
// test, which lets the compiler vectorise the loop.
template <PngFilter F>
void Filter(const unsigned char* in, const unsigned char* up, std::size_t row, std::size_t pixel,
            unsigned char* out) {
  const std::size_t first = pixel < row ? pixel : row;
  for (std::size_t i = 0; i < first; ++i) {
    out[i] = static_cast<unsigned char>(in[i] - Predict<F>(0, up[i], 0));
  }
  for (std::size_t i = first; i < row; ++i) {
    out[i] = static_cast<unsigned char>(in[i] - Predict<F>(in[i - pixel], up[i], up[i - pixel]));
  }
}

constexpr std::size_t kSampleEvery = 8;  // rows between the rows sampled
constexpr std::array<PngFilter, 5> kFilters = {PngFilter::kNone, PngFilter::kSub, PngFilter::kUp,
                                               PngFilter::kAverage, PngFilter::kPaeth};

}  // namespace

void FilterRow(PngFilter filter, const unsigned char* in, const unsigned char* up, std::size_t row,
               std::size_t pixel, unsigned char* out) {
  switch (filter) {
    case PngFilter::kNone:
      std::memcpy(out, in, row);
      break;
    case PngFilter::kSub:
      Filter<PngFilter::kSub>(in, up, row, pixel, out);
      break;
    case PngFilter::kUp:
      Filter<PngFilter::kUp>(in, up, row, pixel, out);
      break;
    case PngFilter::kAverage:
      Filter<PngFilter::kAverage>(in, up, row, pixel, out);
      break;
    case PngFilter::kPaeth:
      Filter<PngFilter::kPaeth>(in, up, row, pixel, out);
      break;
  }
}

PngFilter ChooseFilter(const unsigned char* data, std::size_t row, std::size_t height,
                       std::size_t pixel) {
  if (row == 0 || height == 0) {
    return PngFilter::kNone;
  }
  const std::vector<unsigned char> zeros(row, 0);
  std::vector<unsigned char> filtered(row);
  std::array<std::size_t, kFilters.size()> zero_count{};
  for (std::size_t y = height > 1 ? 1 : 0; y < height; y += kSampleEvery) {
    const unsigned char* up = y == 0 ? zeros.data() : data + (y - 1) * row;
    for (std::size_t f = 0; f < kFilters.size(); ++f) {
      FilterRow(kFilters[f], data + y * row, up, row, pixel, filtered.data());
      for (const unsigned char byte : filtered) {
        zero_count[f] += byte == 0 ? 1 : 0;
      }
    }
  }
  std::size_t best = 0;  // the first of equals: the cheapest to undo
  for (std::size_t f = 1; f < kFilters.size(); ++f) {
    best = zero_count[f] > zero_count[best] ? f : best;
  }
  return kFilters[best];
}

}  // namespace mae::check
