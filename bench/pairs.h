// The benchmark's image pairs: N x N 24-bit images A and B (B differs from
// A in scattered bytes) and A2, a byte-identical copy of A, so that cmp has
// to read both files to the end. The content is deterministic.
#ifndef MAE_BENCH_PAIRS_H
#define MAE_BENCH_PAIRS_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

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

// The benchmarks write their large pairs in a child process, since a
// process's peak memory counts what its parent held when it was started.
// The child is the benchmark itself, run as `SELF --write-pair FOLDER N`:
// true (after writing) when this process is that child.
inline bool WritePairIfAsked(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--write-pair") {
    WritePair(argv[2], static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    return true;
  }
  return false;
}

// Writes the N x N pair into `folder` through such a child; false on failure.
inline bool WritePairInChild(const std::string& folder, std::uint32_t n) {
  const std::string self = std::filesystem::canonical("/proc/self/exe").string();
  const bmptest::RunResult r = bmptest::Run(self, {"--write-pair", folder, std::to_string(n)});
  return r.exit_status == 0 && r.out.empty();
}

// The pair sizes given from argv[first] on, or `defaults`.
inline std::vector<std::uint32_t> Sizes(int argc, char** argv, int first,
                                        std::vector<std::uint32_t> defaults) {
  std::vector<std::uint32_t> sizes;
  for (int i = first; i < argc; ++i) {
    sizes.push_back(static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 10)));
  }
  return sizes.empty() ? defaults : sizes;
}

#endif  // MAE_BENCH_PAIRS_H
