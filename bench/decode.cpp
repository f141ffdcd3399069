// mae-check's BMP decoding alone: DecodeBmpPixels on 1024 x 1024 files of
// each uncompressed format, held in memory, next to a plain memcpy of the
// same pixel bytes into the same output.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bmp_decode.h"
#include "testkit/bmp_formats.h"

namespace {

using namespace mae::check;

constexpr std::uint32_t kSide = 1024;

// A picture of `colours` colours (each a possible 5-6-5 pixel), at most
// 256.
bmptest::Picture24 Picture(unsigned colours) {
  bmptest::Picture24 p{kSide, kSide, {}};
  for (std::size_t i = 0; i < std::size_t{kSide} * kSide; ++i) {
    const unsigned c = static_cast<unsigned>((i * 7 + i / kSide) % colours);
    const unsigned r = c >> 3, g = (c * 5) & 63, b = c & 31;
    p.bgr.insert(p.bgr.end(), {static_cast<unsigned char>(b << 3 | b >> 2),
                               static_cast<unsigned char>(g << 2 | g >> 4),
                               static_cast<unsigned char>(r << 3 | r >> 2)});
  }
  return p;
}

// The 32-bit file with bit fields: compression 3 and masks after the
// header.
bmptest::Bytes WithMasks(bmptest::Bytes f, std::uint32_t red, std::uint32_t green,
                         std::uint32_t blue) {
  bmptest::PutLe(f, 30, 3, 4);
  bmptest::PutLe(f, 10, 66, 4);
  f.insert(f.begin() + 54, 12, 0);
  bmptest::PutLe(f, 54, red, 4);
  bmptest::PutLe(f, 58, green, 4);
  bmptest::PutLe(f, 62, blue, 4);
  return f;
}

enum Kind { kTopDown24, k32, k32Fields, k32Fields10, k565, k8, k4, k1 };

bmptest::Bytes File(Kind kind) {
  const bmptest::Picture24 p = Picture(kind == k4 ? 16 : kind == k1 ? 2 : 256);
  switch (kind) {
    case kTopDown24:
      return bmptest::TopDown24(p);
    case k32:
      return bmptest::Bmp32(p);
    case k32Fields:
      return WithMasks(bmptest::Bmp32(p), 0x00FF0000u, 0x0000FF00u, 0x000000FFu);
    case k32Fields10:  // 10 bits a channel: looked up, not copied
      return WithMasks(bmptest::Bmp32(p), 0x3FF00000u, 0x000FFC00u, 0x000003FFu);
    case k565:
      return bmptest::Bmp565(p);
    case k8:
      return bmptest::Palette(p, 8);
    case k4:
      return bmptest::Palette(p, 4);
    case k1:
      return bmptest::Palette(p, 1);
  }
  return {};
}

void BM_Decode(benchmark::State& state) {
  const bmptest::Bytes file = File(static_cast<Kind>(state.range(0)));
  const BmpInfo info = ReadBmpInfo(file.data(), file.size(), file.size());
  std::vector<unsigned char> out(std::size_t{kSide} * kSide * 3);
  for (auto _ : state) {
    const DecodeFailure f = DecodeBmpPixels(info, file.data(), file.size(), out.data());
    benchmark::DoNotOptimize(f);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(file.size() - info.offset));
}
BENCHMARK(BM_Decode)
    ->ArgName("kind")  // top-down 24, 32, 32 fields, 32 fields 10-bit, 565, 8, 4, 1
    ->DenseRange(kTopDown24, k1)
    ->Unit(benchmark::kMicrosecond);

// The floor: the pixel bytes of a file of `bits` a pixel copied, as many as
// fit the output.
void BM_Memcpy(benchmark::State& state) {
  const std::size_t bytes =
      std::size_t{kSide} * kSide * static_cast<std::size_t>(state.range(0)) / 8;
  const std::vector<unsigned char> in(bytes, 7);
  std::vector<unsigned char> out(std::max(bytes, std::size_t{kSide} * kSide * 3));
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), bytes);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)->ArgName("bits")->Arg(24)->Arg(32)->Arg(16)->Arg(8)->Arg(4)->Arg(1)->Unit(
    benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
