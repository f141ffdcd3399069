// Arbitrary bytes as a file, through mae-check's decoders. A file of a
// format they decode is either refused with a reason, or becomes a 24-bit
// BMP of exactly the picture's declared size (from the input's own header
// or IHDR), within the pixels allowed, that the comparison accepts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bmp_file.h"
#include "decoded_file.h"
#include "fuzz_entry.h"

using namespace mae;
using namespace mae::check;

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint32_t Le16(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}

std::uint32_t Be32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FileKind kind = IdentifyBytes(data, size, size);
  if (!kind.decoded()) {
    return 0;
  }
  // Pictures larger than 16 MiB of pixels are refused as --max-pixels
  // refuses them: larger ones would only cost seconds and the fuzzer's
  // memory limit a run.
  constexpr std::uint64_t kMostPixels = (std::uint64_t{16} << 20) / 3;
  Decoding d = DecodeBytes(data, size, kind, kMostPixels);
  if (d.file.empty()) {
    Require(!d.error.empty());
    return 0;
  }
  // The declared size, read here again (a PNG stream inside a BMP file
  // has its own).
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  if (kind.format == ImageFormat::kPng) {
    Require(size >= 24);
    width = Be32(data + 16);
    height = Be32(data + 20);
  } else if (kind.format == ImageFormat::kBmpOs2) {
    Require(size >= 22);
    width = Le16(data + 18);
    height = Le16(data + 20);
  } else if (kind.format != ImageFormat::kBmpPng) {
    Require(size >= 26);
    width = Le32(data + 18);
    const auto h = static_cast<std::int32_t>(Le32(data + 22));
    height =
        h < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(h) : static_cast<std::uint64_t>(h);
    height &= 0xFFFFFFFFu;
  }
  Require(kind.format == ImageFormat::kBmpPng || width * height <= kMostPixels);
  BmpFile decoded;
  const FileOutcome& outcome = decoded.Adopt(d.file.release());
  Require(outcome.status == BmpStatus::kOk);
  if (kind.format == ImageFormat::kBmpPng) {
    width = outcome.header.width;
    height = outcome.header.height;
  }
  Require(width * height <= kMostPixels);
  Require(outcome.header.bit_count == 24 && outcome.header.width == width &&
          outcome.header.height == height);
  Require(decoded.size() == 54 + width * height * 3);
  return 0;
}
