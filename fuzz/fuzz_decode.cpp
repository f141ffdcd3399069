// Arbitrary bytes as a file, through mae-check's decoders. A file of a
// format they decode is either refused with a reason, or becomes a 24-bit
// BMP of exactly the picture's declared size (from the input's own header
// or IHDR), within 2^31 bytes of pixels, that the comparison accepts.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bmp_file.h"
#include "decoded_file.h"
#include "fuzz_entry.h"
#include "mem_file.h"

using namespace mae;
using namespace mae::check;

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
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
  const MemFile input(data, size);
  const FileKind kind = IdentifyFile(input.path());
  if (!kind.decoded()) {
    return 0;
  }
  // Pictures declared larger than 16 MiB of pixels are decoded by the tool
  // as any other (up to 2^31 bytes); here they would only cost seconds and
  // the fuzzer's memory limit a run.
  if (size >= 26) {
    const std::uint64_t w =
        kind.format == ImageFormat::kPng && size >= 24 ? Be32(data + 16) : Le32(data + 18);
    const std::uint64_t h =
        kind.format == ImageFormat::kPng && size >= 24
            ? Be32(data + 20)
            : static_cast<std::uint64_t>(
                  std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(Le32(data + 22)))));
    if (w * h * 3 > (std::uint64_t{16} << 20)) {
      return 0;
    }
  }
  const Decoding d = DecodeFile(input.path(), kind);
  if (d.file.empty()) {
    Require(!d.error.empty());
    return 0;
  }
  // The declared size, read here again.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  if (kind.format == ImageFormat::kPng) {
    Require(size >= 24);
    width = Be32(data + 16);
    height = Be32(data + 20);
  } else {
    Require(size >= 26);
    width = Le32(data + 18);
    const auto h = static_cast<std::int32_t>(Le32(data + 22));
    height =
        h < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(h) : static_cast<std::uint64_t>(h);
    height &= 0xFFFFFFFFu;
  }
  Require(width * height * 3 <= kMostDecodedBytes);
  BmpFile decoded;
  const FileOutcome& outcome = decoded.Open(d.file.path().c_str());
  Require(outcome.status == BmpStatus::kOk);
  Require(outcome.header.bit_count == 24 && outcome.header.width == width &&
          outcome.header.height == height);
  Require(decoded.size() == 54 + width * height * 3);
  return 0;
}
