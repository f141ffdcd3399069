// Unit tests of BmpReader::WriteBMP: round trips, the header it writes, and
// every way it refuses to write.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "bmp_reader.h"
#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakeHeader;
using bmptest::ReadFile;
using bmptest::TempDir;
using bmptest::WriteFile;

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
                       Case{7, 3, 8}, Case{0, 0, 24}, Case{2, 2, 1}}) {
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
    EXPECT_EQ(ReadFile(dir / "out.bmp").size(), 54 + pixels.size());
  }
}

TEST(WriteBMP, WritesTheTemplateWithSizeDimensionsAndDepthFilledIn) {
  TempDir dir;
  WriteFile(dir / "in.bmp", MakeBmp(0x0102, 3, Bytes(std::size_t{0x0102} * 3 * 3, 9)));
  Loaded in;
  Load(in, dir / "in.bmp");
  ASSERT_EQ(Write(in.reader, dir / "out.bmp", in.width, in.height, in.block.get()).status, 0);
  const Bytes file = ReadFile(dir / "out.bmp");
  const std::uint32_t size = 54 + 0x0102 * 3 * 3;
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
    Bytes expected = MakeHeader(2, 1, 24, 54, 60);
    expected.insert(expected.end(), pixels.begin(), pixels.end());
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
  ASSERT_EQ(written.size(), 54u + 35u);
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
  EXPECT_EQ(Bytes(second.begin(), second.begin() + 54), MakeHeader(1, 1, 8, 54, 55));
  // The template is shared and keeps the last write's values.
  EXPECT_EQ(Bytes(big.reader.header, big.reader.header + 54), MakeHeader(1, 1, 8, 54, 55));
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
  // 1 x 1431655747 pixels: 4 294 967 241 bytes, with the 54-byte header
  // exactly 2^32 - 1, the most the file-size field holds. Written to
  // /dev/null from pages that are never touched.
  const std::size_t largest = 4294967241u;
  void* pages =
      ::mmap(nullptr, largest, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  in.reader.width = 1;
  in.reader.height = 1431655747;
  const auto* data = static_cast<const unsigned char*>(pages);
  EXPECT_EQ(Write(in.reader, "/dev/null", 1, 1431655747, data).status, 0);
  EXPECT_EQ(in.reader.file_size, 0xFFFFFFFFu);
  // One more row does not fit: refused before the file is touched.
  in.reader.height = 1431655748;
  const WriteOutcome w = Write(in.reader, dir / "out.bmp", 1, 1431655748, data);
  EXPECT_EQ(w.status, -1);
  EXPECT_EQ(w.out, "size fname_t error\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp"));
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
