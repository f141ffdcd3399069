// The benchmark's image pairs: N x N 24-bit images A and B (B differs from
// A in scattered bytes) and A2, a byte-identical copy of A, so that cmp has
// to read both files to the end. The content is deterministic.
#ifndef MAE_BENCH_PAIRS_H
#define MAE_BENCH_PAIRS_H

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/bmp_file.h"

inline void WritePair(const std::string& folder, std::uint32_t n) {
  std::filesystem::create_directories(folder);
  std::uint32_t state = 2463534242u ^ n;
  auto next = [&state] {  // xorshift32: fast and the same everywhere
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  bmptest::Bytes a(std::size_t{n} * n * 3);
  for (std::size_t i = 0; i < a.size(); ++i) {
    // Smooth gradients with a little noise, like a photograph.
    const std::size_t x = (i / 3) % n;
    const std::size_t y = (i / 3) / n;
    a[i] = static_cast<unsigned char>((x * 255 / n + y * 127 / n + (i % 3) * 60) + (next() & 7));
  }
  bmptest::Bytes b = a;
  for (std::size_t i = next() % 97; i < b.size(); i += 1 + next() % 193) {
    b[i] = static_cast<unsigned char>(b[i] + 1 + next() % 40);
  }
  bmptest::WriteFile(folder + "/A.bmp", bmptest::MakeBmp(n, n, a));
  bmptest::WriteFile(folder + "/A2.bmp", bmptest::MakeBmp(n, n, a));
  bmptest::WriteFile(folder + "/B.bmp", bmptest::MakeBmp(n, n, b));
}

#endif  // MAE_BENCH_PAIRS_H
