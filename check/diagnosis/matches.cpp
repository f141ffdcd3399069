#include <algorithm>
#include <cstring>

#include "diagnosis.h"
#include "fnv1a.h"
#include "sum_abs_diff.h"

namespace mae::check {

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
  // FNV-1a over 8 bytes at a time in four lanes, so that four multiplies
  // run at once (one chain of them was a quarter of a class run's time);
  // then the last few bytes of each row one by one into the first lane.
  // The padding between rows is not the picture's.
  std::uint64_t lane[4] = {kFnvOffset ^ image.width ^ (std::uint64_t{image.height} << 32),
                           kFnvOffset + 1, kFnvOffset + 2, kFnvOffset + 3};
  const auto step = [](std::uint64_t hash, std::uint64_t word) {
    hash = FnvStep(hash, word);
    return hash ^ (hash >> 29);
  };
  const std::size_t bytes = std::size_t{image.width} * kComparedPixelBytes;
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.row(y);
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
      std::uint64_t words[4];
      std::memcpy(words, row + i, 32);
      for (int k = 0; k < 4; ++k) {
        lane[k] = step(lane[k], words[k]);
        // Kept in a general register: vectorised, the 64-bit multiplies
        // would be made of three 32-bit ones each, and slower.
        asm("" : "+r"(lane[k]));
      }
    }
    for (; i + 8 <= bytes; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, row + i, 8);
      lane[0] = step(lane[0], word);
    }
    for (; i < bytes; ++i) {
      lane[0] = FnvStep(lane[0], row[i]);
    }
  }
  std::uint64_t hash = lane[0];
  for (int k = 1; k < 4; ++k) {
    hash = step(hash, lane[k]);
  }
  return hash;
}

}  // namespace mae::check
