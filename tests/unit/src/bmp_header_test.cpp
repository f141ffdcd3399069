// The header check on its own: header bytes and a file size in, a verdict
// and the row layout out, without any file.
#include "bmp_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "testkit/bmp_bytes.h"

namespace {

using namespace mae;

using bmptest::Bytes;
using bmptest::MakeHeader;

struct HeaderCase {
  const char* name;
  Bytes header;
  std::uint64_t file_size;
  BmpStatus expected;
  std::uint64_t stride;  // when accepted
};

Bytes Unsigned(Bytes header) {
  header[0] = 'P';
  header[1] = 'K';
  return header;
}

// The header with its image-size field (byte 34) set.
Bytes WithImageSize(Bytes header, std::uint32_t size) {
  bmptest::PutLe(header, 34, size, 4);
  return header;
}

// The 12-byte information header of OS/2 BMP files.
Bytes Os2(const Bytes& header) {
  return bmptest::WithInfoSize(header, 12);
}

TEST(ParseBmpHeader, FindsTheRowLayoutOrTheReasonToRefuse) {
  const std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const HeaderCase cases[] = {
      // Rows of 4 bytes' multiple: no padding either way.
      {"4 wide", MakeHeader(4, 2), 54 + 24, BmpStatus::kOk, 12},
      // 1 pixel = 3 bytes, padded to 4: two rows need 4 + 3 bytes at least.
      {"padded", MakeHeader(1, 2), 54 + 8, BmpStatus::kOk, 4},
      {"padded, last row's padding missing", MakeHeader(1, 2), 54 + 7, BmpStatus::kOk, 4},
      {"packed: exactly 6 bytes", MakeHeader(1, 2), 54 + 6, BmpStatus::kOk, 3},
      {"one byte short of packed", MakeHeader(1, 2), 54 + 5, BmpStatus::kPixelsMissing, 0},
      {"one row is the same either way", MakeHeader(5, 1), 54 + 15, BmpStatus::kOk, 16},
      {"8 bits, 3 wide: padded to 4", MakeHeader(3, 3, 8), 54 + 11, BmpStatus::kOk, 4},
      {"32 bits never pads", MakeHeader(3, 3, 32), 54 + 36, BmpStatus::kOk, 12},
      {"empty", MakeHeader(0, 0), 54, BmpStatus::kOk, 0},
      {"offset at the very end, empty", MakeHeader(7, 0, 24, 60), 60, BmpStatus::kOk, 21},
      {"offset past the end", MakeHeader(0, 0, 24, 61), 60, BmpStatus::kPixelsMissing, 0},
      {"too short", MakeHeader(1, 1), 29, BmpStatus::kTooShort, 0},
      {"top-down", MakeHeader(1, 0xFFFFFFFFu), 1000, BmpStatus::kTopDown, 0},
      {"height 2^31 - 1 is not top-down", MakeHeader(1, 0x7FFFFFFFu), 54, BmpStatus::kPixelsMissing,
       0},
      {"width 2^31", MakeHeader(0x80000000u, 1), kMax, BmpStatus::kTooWide, 0},
      {"width 2^31 - 1 fits", MakeHeader(0x7FFFFFFFu, 1), kMax, BmpStatus::kOk, 6442450944u},
      // 2^30 x 2^29 pixels of 32 bytes is exactly 2^64 bytes: 0 if wrapped.
      {"block of 2^64 bytes", MakeHeader(1u << 30, 1u << 29, 256), 54, BmpStatus::kPixelsMissing,
       0},
      {"padded span beyond 2^64", MakeHeader(0x7FFFFFFFu, 0x7FFFFFFFu, 0xFFFF), kMax,
       BmpStatus::kPixelsMissing, 0},
      {"offset plus span past 2^64", MakeHeader(1049089, 2147482113, 65504, 9424930), 54,
       BmpStatus::kPixelsMissing, 0},  //
      {"OS/2 header", Os2(MakeHeader(1, 1)), 58, BmpStatus::kOs2Header, 0},
      {"OS/2 header without a signature", Unsigned(Os2(MakeHeader(1, 1))), 58, BmpStatus::kOk, 4},
      {"largest 24-bit image a file can hold", MakeHeader(0x7FFFFFFFu, 0x7FFFFFFFu), kMax,
       BmpStatus::kOk, 6442450944u},
      // Without "BM", a header that makes no sense says the file is no BMP.
      {"no signature, top-down", Unsigned(MakeHeader(1, 0xFFFFFFFFu)), 1000, BmpStatus::kNotBmp, 0},
      {"no signature, too wide", Unsigned(MakeHeader(0x80000000u, 1)), 1000, BmpStatus::kNotBmp, 0},
      {"no signature, pixels missing", Unsigned(MakeHeader(2, 2)), 60, BmpStatus::kNotBmp, 0},
      {"no signature, too short", Unsigned(MakeHeader(2, 2)), 20, BmpStatus::kTooShort, 0},
      {"no signature but readable", Unsigned(MakeHeader(1, 1)), 58, BmpStatus::kOk, 4},
      // A file-size field for packed rows, an image-size field for padded
      // ones: the image size says padded, and the file holds them.
      {"image size says padded", WithImageSize(MakeHeader(1, 2, 24, 54, 60), 8), 62, BmpStatus::kOk,
       4},
      {"image size says padded, a byte after the rows",
       WithImageSize(MakeHeader(1, 2, 24, 54, 60), 8), 63, BmpStatus::kOk, 4},
      {"both size fields say packed", WithImageSize(MakeHeader(1, 2, 24, 54, 60), 6), 61,
       BmpStatus::kOk, 3},
      // Exactly as long as padded rows, their last row's padding included:
      // the size fields counted the rows without their padding.
      {"packed fields, padded length", WithImageSize(MakeHeader(1, 2, 24, 54, 60), 6), 62,
       BmpStatus::kOk, 4},
      {"padded fields, packed length", MakeHeader(1, 2, 24, 54, 62), 60, BmpStatus::kPixelsMissing,
       0},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.name);
    BmpHeader h;
    // The header bytes a reader hands over: kBmpHeaderRead, or all of a
    // shorter file.
    const std::size_t given = static_cast<std::size_t>(
        std::min<std::uint64_t>(c.file_size, std::min(c.header.size(), kBmpHeaderRead)));
    EXPECT_EQ(ParseBmpHeader(c.header.data(), given, c.file_size, &h), c.expected);
    if (c.expected == BmpStatus::kOk) {
      EXPECT_EQ(h.stride, c.stride);
      EXPECT_EQ(h.row_bytes, std::uint64_t{h.width} * h.bytes_per_pixel);
      EXPECT_EQ(h.block_size, h.row_bytes * h.height);
    }
  }
}

TEST(ParseBmpHeader, KeepsTheFieldsOfARefusedHeader) {
  const Bytes header = MakeHeader(5, 0xFFFFFFFEu, 8, 70);
  BmpHeader h;
  EXPECT_EQ(ParseBmpHeader(header.data(), 30, 100, &h), BmpStatus::kTopDown);
  EXPECT_TRUE(h.signature);
  EXPECT_EQ(h.width, 5u);
  EXPECT_EQ(h.height, 0xFFFFFFFEu);
  EXPECT_EQ(h.offset, 70u);
  EXPECT_EQ(h.bit_count, 8);
  EXPECT_EQ(h.bytes_per_pixel, 1);
}

TEST(CheckedArithmetic, RefusesWhatDoesNotFitIn64Bits) {
  const std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t r = 7;
  EXPECT_TRUE(CheckedMul(0, kMax, &r));
  EXPECT_EQ(r, 0u);
  EXPECT_TRUE(CheckedMul(kMax, 1, &r));
  EXPECT_EQ(r, kMax);
  EXPECT_FALSE(CheckedMul(std::uint64_t{1} << 32, std::uint64_t{1} << 32, &r));
  // 3062868337 x 3 bytes a row, 2007567422 rows: 2^64 + 26 bytes.
  EXPECT_FALSE(CheckedMul(3062868337ull * 3, 2007567422ull, &r));
  EXPECT_TRUE(CheckedAdd(kMax - 1, 1, &r));
  EXPECT_EQ(r, kMax);
  EXPECT_FALSE(CheckedAdd(kMax, 1, &r));
}

}  // namespace
