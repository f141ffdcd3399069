// The comparison's inner pass alone, next to a plain read of the same
// bytes, for row lengths from a few pixels to 8192; and the reader loading
// a large image from the page cache.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp_reader.h"
#include "pairs.h"
#include "sum_abs_diff.h"
#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

// Both inputs together fit in a core's L2 cache, so this measures the pass,
// not the memory.
constexpr std::size_t kBytesPerInput = 96 * 1024;

struct Inputs {
  bmptest::Bytes a;
  bmptest::Bytes b;
  Inputs() : a(kBytesPerInput), b(kBytesPerInput) {
    for (std::size_t i = 0; i < kBytesPerInput; ++i) {
      a[i] = static_cast<unsigned char>(i * 7);
      b[i] = static_cast<unsigned char>(i * 13 + (i >> 9));
    }
  }
};

// SumAbsDiff over rows of `row_pixels` pixels, as the comparison calls it.
void BM_SumAbsDiff(benchmark::State& state) {
  static const Inputs inputs;
  const std::size_t row_bytes = static_cast<std::size_t>(state.range(0)) * 3;
  const std::size_t rows = kBytesPerInput / row_bytes;
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::size_t r = 0; r < rows; ++r) {
      sum +=
          SumAbsDiff(inputs.a.data() + r * row_bytes, inputs.b.data() + r * row_bytes, row_bytes);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rows * row_bytes * 2));
}
BENCHMARK(BM_SumAbsDiff)->Arg(4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(8192);

// The floor: touch every byte of both inputs with the cheapest reduction.
void BM_PlainRead(benchmark::State& state) {
  static const Inputs inputs;
  const std::size_t row_bytes = static_cast<std::size_t>(state.range(0)) * 3;
  const std::size_t rows = kBytesPerInput / row_bytes;
  for (auto _ : state) {
    std::uint64_t acc = 0;
    for (std::size_t r = 0; r < rows; ++r) {
      const unsigned char* a = inputs.a.data() + r * row_bytes;
      const unsigned char* b = inputs.b.data() + r * row_bytes;
      std::size_t i = 0;
      for (; i + 8 <= row_bytes; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        acc += x ^ y;
      }
      for (; i < row_bytes; ++i) {
        acc += static_cast<std::uint64_t>(a[i] ^ b[i]);
      }
    }
    benchmark::DoNotOptimize(acc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rows * row_bytes * 2));
}
BENCHMARK(BM_PlainRead)->Arg(4)->Arg(16)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(8192);

// ReadBMP of an 8192 x 8192 image (192 MiB) from the page cache, block
// released each time.
void BM_ReadBMP(benchmark::State& state) {
  static const bmptest::TempDir dir;
  const std::string folder = dir / "8192";
  static const bool written = (WritePair(folder, 8192), true);
  benchmark::DoNotOptimize(written);
  const std::string path = folder + "/A.bmp";
  for (auto _ : state) {
    BmpReader reader;
    std::int32_t w = 0;
    std::int32_t h = 0;
    BmpBlock block(reader.ReadBMP(path.c_str(), &w, &h));
    benchmark::DoNotOptimize(block.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 8192 * 8192 * 3);
}
// Several seconds: the first load of a run pays for faulting in fresh memory.
BENCHMARK(BM_ReadBMP)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
