// Unit tests of BmpReader: what ReadBMP loads and every way it refuses a
// file; WriteBMP's round trips, the header it writes, and every way it
// refuses to write.
#include "bmp_reader.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakeHeader;
using bmptest::ReadFile;
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

struct Loaded {
  BmpReader reader;
  BmpBlock block;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Reads `path` quietly; the test fails if the read does.
void Load(Loaded& l, const std::string& path) {
  testing::internal::CaptureStdout();
  l.block.reset(l.reader.ReadBMP(path.c_str(), &l.width, &l.height));
  testing::internal::GetCapturedStdout();
  ASSERT_NE(l.block, nullptr) << path;
}

struct WriteOutcome {
  std::int32_t status;
  std::string out;
};

WriteOutcome Write(BmpReader& reader, const std::string& path, std::int32_t w, std::int32_t h,
                   const unsigned char* data) {
  testing::internal::CaptureStdout();
  const std::int32_t status = reader.WriteBMP(path.c_str(), w, h, data);
  return {status, testing::internal::GetCapturedStdout()};
}

TEST(WriteBMP, RoundTripsEveryDepthAndShape) {
  struct Case {
    std::uint32_t w, h;
    std::uint16_t bit_count;
  };
  for (const Case c : {Case{4, 3, 24}, Case{1, 2, 24}, Case{5, 1, 24}, Case{3, 2, 32},
                       Case{7, 3, 8}, Case{0, 0, 24}, Case{2, 2, 1},
                       // a row longer than the 256 KiB gathering buffer
                       Case{90001, 1, 24}}) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "@" +
                 std::to_string(c.bit_count));
    TempDir dir;
    Bytes pixels(std::size_t{c.w} * c.h * (c.bit_count / 8u));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = static_cast<unsigned char>(i * 13 + 5);
    }
    WriteFile(dir / "in.bmp", MakeBmp(c.w, c.h, pixels, c.bit_count));
    Loaded in;
    Load(in, dir / "in.bmp");
    // A filter would change the pixels here; the round trip keeps them.
    const WriteOutcome w = Write(in.reader, dir / "out.bmp", in.width, in.height, in.block.get());
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(w.out, "");
    EXPECT_EQ(in.reader.fp_t, nullptr);

    Loaded out;
    Load(out, dir / "out.bmp");
    EXPECT_EQ(out.width, in.width);
    EXPECT_EQ(out.height, in.height);
    EXPECT_EQ(out.reader.bit_count, c.bit_count);
    EXPECT_EQ(Bytes(out.block.get(), out.block.get() + pixels.size()), pixels);
    // Rows padded to a multiple of 4 bytes, as every other program reads
    // them (this once wrote packed rows: 54 + pixels.size() bytes).
    const std::size_t row = std::size_t{c.w} * (c.bit_count / 8u);
    EXPECT_EQ(ReadFile(dir / "out.bmp").size(), 54 + (row + 3) / 4 * 4 * c.h);
  }
}

TEST(WriteBMP, WritesTheTemplateWithSizeDimensionsAndDepthFilledIn) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(0x0102, 3, Bytes(std::size_t{0x0102} * 3 * 3, 9)));
  Loaded in;
  Load(in, dir / "in.bmp");
  ASSERT_EQ(Write(in.reader, dir / "out.bmp", in.width, in.height, in.block.get()).status, 0);
  const Bytes file = ReadFile(dir / "out.bmp");
  const std::uint32_t size = 54 + 776 * 3;  // rows of 774 bytes padded to 776
  ASSERT_EQ(file.size(), size);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), MakeHeader(0x0102, 3, 24, 54, size));
  EXPECT_EQ(in.reader.file_size, size);
}

TEST(WriteBMP, AlwaysWritesA54ByteHeaderWhateverOffsetTheImageHad) {
  for (std::uint32_t offset : {30u, 53u, 138u}) {
    SCOPED_TRACE(offset);
    TempDir dir;
    const Bytes pixels = {1, 2, 3, 4, 5, 6};
    Bytes file = MakeHeader(2, 1, 24, offset);
    file.resize(std::max<std::size_t>(offset, 30), 0xEE);  // a colour table or a cut header
    file.resize(offset);
    file.insert(file.end(), pixels.begin(), pixels.end());
    WriteFile(dir / "in.bmp", file);
    Loaded in;
    Load(in, dir / "in.bmp");
    ASSERT_EQ(Bytes(in.block.get(), in.block.get() + 6), pixels);
    ASSERT_EQ(Write(in.reader, dir / "out.bmp", 2, 1, in.block.get()).status, 0);
    const Bytes written = ReadFile(dir / "out.bmp");
    Bytes expected = MakeHeader(2, 1, 24, 54, 62);
    expected.insert(expected.end(), pixels.begin(), pixels.end());
    expected.insert(expected.end(), 2, 0);  // the row's padding
    EXPECT_EQ(written, expected);
  }
}

TEST(WriteBMP, KeepsOnlyTheLowByteOfALargeBitCount) {
  TempDir dir;
  const std::uint16_t bit_count = 0x0118;  // 280 bits: 35 bytes a pixel
  WriteFile(dir / "in.bmp", MakeBmp(1, 1, Bytes(35, 4), bit_count));
  Loaded in;
  Load(in, dir / "in.bmp");
  ASSERT_EQ(Write(in.reader, dir / "out.bmp", 1, 1, in.block.get()).status, 0);
  const Bytes written = ReadFile(dir / "out.bmp");
  ASSERT_EQ(written.size(), 54u + 36u);  // 35 bytes padded to 36
  EXPECT_EQ(written[28], 0x18);
  EXPECT_EQ(written[29], 0);
}

TEST(WriteBMP, EachWriteSetsItsOwnValues) {
  TempDir dir;
  WriteFile(dir / "big.bmp", MakeBmp(3, 2, Bytes(18, 1)));
  WriteFile(dir / "small.bmp", MakeBmp(1, 1, Bytes(1, 2), 8));
  Loaded big;
  Loaded small;
  Load(big, dir / "big.bmp");
  Load(small, dir / "small.bmp");
  ASSERT_EQ(Write(big.reader, dir / "1.bmp", 3, 2, big.block.get()).status, 0);
  ASSERT_EQ(Write(small.reader, dir / "2.bmp", 1, 1, small.block.get()).status, 0);
  const Bytes second = ReadFile(dir / "2.bmp");
  EXPECT_EQ(Bytes(second.begin(), second.begin() + 54), MakeHeader(1, 1, 8, 54, 58));
  // The template is shared and keeps the last write's values.
  EXPECT_EQ(Bytes(big.reader.header, big.reader.header + 54), MakeHeader(1, 1, 8, 54, 58));
}

TEST(WriteBMP, RefusesWithOneLineAndLeavesTheTargetAlone) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(2, 2, Bytes(12, 7)));
  const Bytes previous = {'o', 'l', 'd'};
  struct Case {
    const char* name;
    bool read_first;
    std::int32_t w, h;
    bool null_data;
    const char* expected;
  };
  for (const Case c : {Case{"nothing read yet", false, 2, 2, false, "header fname_t error\n"},
                       Case{"wrong width", true, 3, 2, false, "size fname_t error\n"},
                       Case{"wrong height", true, 2, -2, false, "size fname_t error\n"},
                       Case{"no data", true, 2, 2, true, "size fname_t error\n"}}) {
    SCOPED_TRACE(c.name);
    Loaded in;
    if (c.read_first) {
      Load(in, dir / "in.bmp");
    }
    WriteFile(dir / "target.bmp", previous);
    const WriteOutcome w =
        Write(in.reader, dir / "target.bmp", c.w, c.h, c.null_data ? nullptr : Bytes(12, 1).data());
    EXPECT_EQ(w.status, -1);
    EXPECT_EQ(w.out, c.expected);
    EXPECT_EQ(ReadFile(dir / "target.bmp"), previous);
    EXPECT_FALSE(std::filesystem::exists(dir / "fresh.bmp"));
    EXPECT_EQ(Write(in.reader, dir / "fresh.bmp", c.w, c.h, nullptr).status, -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "fresh.bmp"));
  }
}

TEST(WriteBMP, RefusesAnImageTooLargeForTheFileSizeFieldAndNoMore) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  Loaded in;
  Load(in, dir / "in.bmp");
  // 4 x 357913936 pixels: rows of 12 bytes (no padding), 4 294 967 232
  // bytes, with the 54-byte header 2^32 - 10, the most this width fits in
  // the file-size field. Written to /dev/null from pages never touched.
  const std::size_t largest = 4294967232u;
  void* pages =
      ::mmap(nullptr, largest, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  in.reader.width = 4;
  in.reader.height = 357913936;
  const auto* data = static_cast<const unsigned char*>(pages);
  EXPECT_EQ(Write(in.reader, "/dev/null", 4, 357913936, data).status, 0);
  EXPECT_EQ(in.reader.file_size, 0xFFFFFFF6u);
  // One more row does not fit, and neither do 1073741811 rows of 1 pixel,
  // whose padding (a byte a row) takes them past it though their pixels
  // would fit: refused before the file is touched.
  struct Shape {
    std::uint32_t w, h;
  };
  for (const Shape shape : {Shape{4, 357913937}, Shape{1, 1073741811}}) {
    in.reader.width = shape.w;
    in.reader.height = shape.h;
    const auto w = static_cast<std::int32_t>(shape.w), h = static_cast<std::int32_t>(shape.h);
    const WriteOutcome refused = Write(in.reader, dir / "out.bmp", w, h, data);
    EXPECT_EQ(refused.status, -1);
    EXPECT_EQ(refused.out, "size fname_t error\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp"));
  }
  ::munmap(pages, largest);
}

TEST(WriteBMP, AnEmptyImageNeedsNoData) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeHeader(0, 4));
  Loaded in;
  Load(in, dir / "in.bmp");
  EXPECT_EQ(Write(in.reader, dir / "out.bmp", 0, 4, nullptr).status, 0);
  EXPECT_EQ(ReadFile(dir / "out.bmp"), MakeHeader(0, 4, 24, 54, 54));
}

TEST(WriteBMP, ReportsAFileThatCannotBeCreated) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  Loaded in;
  Load(in, dir / "in.bmp");
  for (const std::string& path : {dir / "no/such/folder/out.bmp", dir.path().string()}) {
    const WriteOutcome w = Write(in.reader, path, 1, 1, in.block.get());
    EXPECT_EQ(w.status, -1);
    EXPECT_EQ(w.out, "fopen fname_t error\n");
    EXPECT_EQ(in.reader.fp_t, nullptr);
  }
}

// Descriptors this process holds: a stream left open on a failed write
// shows here, where LeakSanitizer does not look.
std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST(WriteBMP, ReportsAFullDeviceAndClosesTheFile) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  Loaded in;
  Load(in, dir / "in.bmp");
  const std::size_t before = OpenDescriptors();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const WriteOutcome w = Write(in.reader, "/dev/full", 1, 1, in.block.get());
    EXPECT_EQ(w.status, -1);
    EXPECT_EQ(w.out, "fwrite fname_t error\n");
    EXPECT_EQ(in.reader.fp_t, nullptr);
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// Runs in a child process: a file-size limit makes the pixel write fail
// part way, as a full disk would. Exits 0 when WriteBMP reported it and
// removed the partial file.
[[noreturn]] void WriteUnderFileSizeLimit(const std::string& in_path, const std::string& out) {
  Loaded in;
  Load(in, in_path);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{1000, 1000};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const std::size_t before = OpenDescriptors();
  const WriteOutcome w = Write(in.reader, out, in.width, in.height, in.block.get());
  const bool gone = !std::filesystem::exists(out);
  const bool closed = in.reader.fp_t == nullptr && OpenDescriptors() == before;
  std::exit(w.status == -1 && w.out == "fwrite fname_t error\n" && gone && closed ? 0 : 1);
}

TEST(WriteBMPDeathTest, RemovesAFileCutShortByAFullDisk) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(100, 100, Bytes(30000, 3)));
  EXPECT_EXIT(WriteUnderFileSizeLimit(dir / "in.bmp", dir / "out.bmp"), testing::ExitedWithCode(0),
              "");
}

}  // namespace
