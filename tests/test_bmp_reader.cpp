// Unit tests of BmpReader::ReadBMP: what it loads, and every way it refuses
// a file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "bmp_reader.h"
#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakeHeader;
using bmptest::TempDir;
using bmptest::WriteFile;

struct ReadOutcome {
  BmpBlock block;
  std::int32_t width = -7;  // sentinels: a failed read must leave them alone
  std::int32_t height = -7;
  std::string out;
};

ReadOutcome Read(BmpReader& reader, const std::string& path) {
  ReadOutcome r;
  testing::internal::CaptureStdout();
  r.block.reset(reader.ReadBMP(path.c_str(), &r.width, &r.height));
  r.out = testing::internal::GetCapturedStdout();
  return r;
}

Bytes Truncated(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

Bytes BlockBytes(const ReadOutcome& r, std::size_t size) {
  return Bytes(r.block.get(), r.block.get() + size);
}

TEST(ReadBMP, LoadsA24BitFileByteForByte) {
  TempDir dir;
  const Bytes pixels = bmptest::MakePixels(4, 3, [](std::size_t i) { return i * 7 + 1; });
  WriteFile(dir / "a.bmp", MakeBmp(4, 3, pixels));
  BmpReader reader;
  ReadOutcome r = Read(reader, dir / "a.bmp");
  ASSERT_NE(r.block, nullptr);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.width, 4);
  EXPECT_EQ(r.height, 3);
  EXPECT_EQ(BlockBytes(r, pixels.size()), pixels);
  EXPECT_EQ(reader.width, 4u);
  EXPECT_EQ(reader.height, 3u);
  EXPECT_EQ(reader.offset, 54u);
  EXPECT_EQ(reader.bit_count, 24);
  EXPECT_EQ(reader.bytes_per_pixel, 3);
  EXPECT_EQ(reader.images_s, r.block.get());
  EXPECT_EQ(reader.fp_s, nullptr);
}

TEST(ReadBMP, PointsTheReaderAtTheSharedTemplate) {
  TempDir dir;
  WriteFile(dir / "a.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  BmpReader first;
  BmpReader second;
  EXPECT_EQ(first.header, nullptr);
  Read(first, dir / "a.bmp");
  Read(second, dir / "missing.bmp");
  ASSERT_NE(first.header, nullptr);
  EXPECT_EQ(first.header, second.header);
  const Bytes expected = MakeHeader(0, 0);
  // A fresh process has never written, so the template is still pristine.
  EXPECT_EQ(Bytes(first.header, first.header + 54), expected);
}

TEST(ReadBMP, LeavesOutThePaddingOfAStandardFile) {
  // Width 1 at 24 bits: a standard file pads each 3-byte row to 4 bytes;
  // the block holds the rows without it. Six bytes are packed rows.
  TempDir dir;
  WriteFile(dir / "padded.bmp", MakeBmp(1, 2, {1, 2, 3, 0, 4, 5, 6, 0}));
  WriteFile(dir / "packed.bmp", MakeBmp(1, 2, {1, 2, 3, 4, 5, 6}));
  for (const char* name : {"padded.bmp", "packed.bmp"}) {
    SCOPED_TRACE(name);
    BmpReader reader;
    ReadOutcome r = Read(reader, dir / name);
    ASSERT_NE(r.block, nullptr);
    EXPECT_EQ(BlockBytes(r, 6), (Bytes{1, 2, 3, 4, 5, 6}));
  }
}

TEST(ReadBMP, LoadsAnyBitCountAsItsHeaderSays) {
  struct Case {
    std::uint16_t bit_count;
    std::uint16_t bytes_per_pixel;
  };
  for (const Case c : {Case{8, 1}, Case{16, 2}, Case{32, 4}, Case{31, 3}, Case{1, 0}, Case{4, 0},
                       Case{7, 0}, Case{0, 0}, Case{65535, 8191}}) {
    SCOPED_TRACE(c.bit_count);
    TempDir dir;
    const std::size_t size = 3u * 2u * c.bytes_per_pixel;
    Bytes pixels(size);
    for (std::size_t i = 0; i < size; ++i) {
      pixels[i] = static_cast<unsigned char>(i);
    }
    WriteFile(dir / "a.bmp", MakeBmp(3, 2, pixels, c.bit_count));
    BmpReader reader;
    ReadOutcome r = Read(reader, dir / "a.bmp");
    ASSERT_NE(r.block, nullptr);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(reader.bytes_per_pixel, c.bytes_per_pixel);
    EXPECT_EQ(BlockBytes(r, size), pixels);
  }
}

TEST(ReadBMP, ReadsAnyFileAsABmpWithoutCheckingTheSignature) {
  TempDir dir;
  Bytes file(54 + 12, 'x');
  bmptest::PutLe(file, 10, 60, 4);  // pixels from byte 60
  bmptest::PutLe(file, 18, 2, 4);
  bmptest::PutLe(file, 22, 1, 4);
  bmptest::PutLe(file, 28, 24, 2);
  for (std::size_t i = 60; i < file.size(); ++i) {
    file[i] = static_cast<unsigned char>(i);
  }
  WriteFile(dir / "notes.txt", file);
  BmpReader reader;
  ReadOutcome r = Read(reader, dir / "notes.txt");
  ASSERT_NE(r.block, nullptr);
  EXPECT_EQ(BlockBytes(r, 6), Bytes(file.begin() + 60, file.end()));
}

TEST(ReadBMP, ReadsFromAnOffsetInsideTheHeader) {
  TempDir dir;
  Bytes file = MakeHeader(2, 1, 24, 2);  // 6 pixel bytes from byte 2
  WriteFile(dir / "a.bmp", file);
  BmpReader reader;
  ReadOutcome r = Read(reader, dir / "a.bmp");
  ASSERT_NE(r.block, nullptr);
  EXPECT_EQ(BlockBytes(r, 6), Bytes(file.begin() + 2, file.begin() + 8));
}

TEST(ReadBMP, AnEmptyBlockIsAValidBlock) {
  for (const auto& dims : {std::pair<std::uint32_t, std::uint32_t>{0, 0}, {0, 5}, {7, 0}}) {
    TempDir dir;
    // A whole header and no pixels; and just the 30 bytes the reader needs,
    // with the (empty) pixel block said to start right after them.
    WriteFile(dir / "a.bmp", MakeHeader(dims.first, dims.second));
    WriteFile(dir / "b.bmp", Truncated(MakeHeader(dims.first, dims.second, 24, 30), 30));
    for (const char* name : {"a.bmp", "b.bmp"}) {
      BmpReader reader;
      ReadOutcome r = Read(reader, dir / name);
      EXPECT_NE(r.block, nullptr);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.width, static_cast<std::int32_t>(dims.first));
      EXPECT_EQ(r.height, static_cast<std::int32_t>(dims.second));
    }
  }
}

TEST(ReadBMP, TwoReadsInTurnEachReturnTheirOwnBlock) {
  TempDir dir;
  WriteFile(dir / "a.bmp", MakeBmp(1, 1, {1, 2, 3}));
  WriteFile(dir / "b.bmp", MakeBmp(2, 1, {4, 5, 6, 7, 8, 9}, 24));
  BmpReader reader;
  ReadOutcome a = Read(reader, dir / "a.bmp");
  ReadOutcome b = Read(reader, dir / "b.bmp");
  ASSERT_NE(a.block, nullptr);
  ASSERT_NE(b.block, nullptr);
  EXPECT_EQ(BlockBytes(a, 3), (Bytes{1, 2, 3}));
  EXPECT_EQ(BlockBytes(b, 6), (Bytes{4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(reader.width, 2u);
  EXPECT_EQ(reader.images_s, b.block.get());
}

// Every refusal: one line naming the path, a null block, the outputs
// untouched, and no stream left open.
struct Refusal {
  const char* name;
  std::function<std::string(const TempDir&)> make;  // returns the path to read
  const char* message;                              // after " Error: PATH "
};

std::string FileWith(const TempDir& dir, const Bytes& bytes) {
  WriteFile(dir / "f.bmp", bytes);
  return dir / "f.bmp";
}

TEST(ReadBMP, RefusesWhatItCannotReadWithOneLine) {
  const Refusal refusals[] = {
      {"missing", [](const TempDir& d) { return d / "nope.bmp"; }, "not exist."},
      {"missing folder", [](const TempDir& d) { return d / "no/such/dir.bmp"; }, "not exist."},
      {"directory", [](const TempDir& d) { return d.path().string(); }, "is not a regular file."},
      {"fifo without writer",
       [](const TempDir& d) {
         const std::string p = d / "fifo";
         EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
         return p;
       },
       "is not a regular file."},
      {"character device", [](const TempDir&) { return std::string("/dev/null"); },
       "is not a regular file."},
      {"empty file", [](const TempDir& d) { return FileWith(d, {}); },
       "is too short to be a BMP file."},
      {"29 bytes", [](const TempDir& d) { return FileWith(d, Truncated(MakeHeader(0, 0), 29)); },
       "is too short to be a BMP file."},
      {"top-down",
       [](const TempDir& d) { return FileWith(d, MakeBmp(1, 0xFFFFFFFFu, Bytes(3, 0))); },
       "is a top-down BMP, which is not supported."},
      {"one pixel byte short",
       [](const TempDir& d) { return FileWith(d, MakeBmp(2, 2, Bytes(11, 0))); },
       "holds less pixel data than its header declares."},
      {"offset past the end",
       [](const TempDir& d) { return FileWith(d, MakeHeader(0, 0, 24, 1000)); },
       "holds less pixel data than its header declares."},
      {"2^31 x 2^31 - 1 pixels",
       [](const TempDir& d) { return FileWith(d, MakeHeader(0x80000000u, 0x7FFFFFFFu)); },
       "is wider than 2147483647 pixels, which is not supported."},
      {"width 2^32 - 1 with its pixels",
       [](const TempDir& d) { return FileWith(d, MakeBmp(0xFFFFFFFFu, 1, Bytes(64, 0))); },
       "is wider than 2147483647 pixels, which is not supported."},
      // Exactly 2^64 bytes of pixels, 0 once wrapped: only the overflow
      // check refuses this 54-byte file.
      {"block size wraps to 0",
       [](const TempDir& d) { return FileWith(d, MakeHeader(1u << 30, 1u << 29, 256)); },
       "holds less pixel data than its header declares."},
      {"padded span beyond 64 bits",
       [](const TempDir& d) {
         return FileWith(d, MakeHeader(0x7FFFFFFFu, 0x7FFFFFFFu, 0xFFFF, 0xFFFFFFFFu));
       },
       "holds less pixel data than its header declares."},
      {"text",
       [](const TempDir& d) {
         const std::string text = "Not a picture, but more than thirty bytes long.";
         return FileWith(d, Bytes(text.begin(), text.end()));
       },
       "is not a BMP file."},
      {"top-down without signature",
       [](const TempDir& d) {
         Bytes file = MakeBmp(1, 0xFFFFFFFFu, Bytes(3, 0));
         file[0] = 0;
         return FileWith(d, file);
       },
       "is not a BMP file."},
  };
  for (const Refusal& c : refusals) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = c.make(dir);
    BmpReader reader;
    ReadOutcome r = Read(reader, path);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_EQ(r.out, " Error: " + path + " " + c.message + "\n");
    EXPECT_EQ(r.width, -7);
    EXPECT_EQ(r.height, -7);
    EXPECT_EQ(reader.fp_s, nullptr);
    EXPECT_EQ(reader.images_s, nullptr);
    EXPECT_NE(reader.header, nullptr);
  }
}

TEST(ReadBMP, PrintsAPathWithPercentSignsLiterally) {
  TempDir dir;
  const std::string path = dir / "100%s%d%n.bmp";
  BmpReader reader;
  ReadOutcome r = Read(reader, path);
  EXPECT_EQ(r.out, " Error: " + path + " not exist.\n");
}

TEST(ReadBMP, KeepsTheFieldsItDidNotReach) {
  TempDir dir;
  WriteFile(dir / "a.bmp", MakeBmp(2, 1, Bytes(8, 0), 32));
  WriteFile(dir / "short.bmp", Bytes(10, 0));
  WriteFile(dir / "topdown.bmp", MakeBmp(5, 0xFFFFFFFEu, {}, 8));
  BmpReader reader;
  ASSERT_NE(Read(reader, dir / "a.bmp").block, nullptr);
  // Too short: nothing of the header is taken.
  EXPECT_EQ(Read(reader, dir / "short.bmp").block, nullptr);
  EXPECT_EQ(reader.width, 2u);
  EXPECT_EQ(reader.bit_count, 32);
  EXPECT_EQ(reader.bytes_per_pixel, 4);
  // Top-down: the header was read before the file was refused.
  EXPECT_EQ(Read(reader, dir / "topdown.bmp").block, nullptr);
  EXPECT_EQ(reader.width, 5u);
  EXPECT_EQ(reader.height, 0xFFFFFFFEu);
  EXPECT_EQ(reader.bit_count, 8);
  EXPECT_EQ(reader.bytes_per_pixel, 1);
}

TEST(ReadBMP, ReportsABlockThatCannotBeAllocated) {
  // A sparse file really holds 2 TiB of pixels, so the size check passes,
  // but no machine here gives that much memory.
  TempDir dir;
  const std::string path = dir / "huge.bmp";
  WriteFile(path, MakeHeader(1u << 21, 1u << 18, 32));
  if (::truncate(path.c_str(), static_cast<off_t>((1ull << 41) + 54)) != 0) {
    GTEST_SKIP() << "this file system cannot hold a 2 TiB sparse file";
  }
  BmpReader reader;
  ReadOutcome r = Read(reader, path);
  EXPECT_EQ(r.block, nullptr);
  EXPECT_EQ(r.out, "malloc images_s error\n");
  EXPECT_EQ(r.width, -7);
  EXPECT_EQ(reader.width, 1u << 21);
  EXPECT_EQ(reader.fp_s, nullptr);
}

}  // namespace
