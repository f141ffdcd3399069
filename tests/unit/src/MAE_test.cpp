// MAE on files, for what the command line cannot show, and the tables.
#include "MAE.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "testkit/bmp_bytes.h"
#include "testkit/call_mae.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::CallMae;
using bmptest::MakeBmp;
using bmptest::TempDir;
using bmptest::WriteFile;

TEST(MAE, RefusesImagesThatAreNot24Bit) {
  TempDir dir;
  WriteFile(dir / "rgb.bmp", MakeBmp(2, 1, Bytes(6, 0)));
  WriteFile(dir / "rgba.bmp", MakeBmp(2, 1, Bytes(8, 0), 32));
  WriteFile(dir / "gray.bmp", MakeBmp(2, 1, Bytes(2, 0), 8));
  WriteFile(dir / "mono.bmp", MakeBmp(2, 1, Bytes(1, 0), 1));
  const std::string rgb = dir / "rgb.bmp";
  const std::string rgba = dir / "rgba.bmp";
  const std::string gray = dir / "gray.bmp";
  const std::string mono = dir / "mono.bmp";

  bmptest::MaeCall c = CallMae(rgba, rgb);
  EXPECT_EQ(c.result, -1.0);
  // Each line names the file's own bit count.
  EXPECT_EQ(c.out, " Error: " + rgba + " is a 32-bit image, which is not supported.\n");

  c = CallMae(rgb, mono);
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + mono + " is a 1-bit image, which is not supported.\n");

  c = CallMae(gray, rgba);
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + gray + " is an 8-bit image, which is not supported.\n Error: " +
                       rgba + " is a 32-bit image, which is not supported.\n");
}

TEST(MAE, ReadsBothFilesEvenWhenTheFirstFails) {
  TempDir dir;
  WriteFile(dir / "ok.bmp", MakeBmp(1, 1, Bytes(3, 0)));
  WriteFile(dir / "short.bmp", Bytes(5, 0));
  const bmptest::MaeCall c = CallMae(dir / "short.bmp", dir / "missing.bmp");
  EXPECT_EQ(c.result, -1.0);
  EXPECT_EQ(c.out, " Error: " + (dir / "short.bmp") + " is too short to be a BMP file.\n" +
                       " Error: " + (dir / "missing.bmp") + " not exist.\n");
  EXPECT_EQ(CallMae(dir / "ok.bmp", dir / "short.bmp").result, -1.0);
}

TEST(MAE, StreamsFilesToTheSameResultAsTheInMemoryComparison) {
  // Shapes that take each way through the streaming reads: one run per
  // file, many short rows per read, rows longer than a read buffer, and
  // images of different widths whose rows are not contiguous.
  struct Shape {
    std::uint32_t wa, ha, wb, hb;
  };
  std::mt19937 rng(99);
  for (const Shape s :
       {Shape{8, 5, 8, 5}, Shape{1, 1000, 1, 1000}, Shape{3, 7, 5, 4}, Shape{1, 90000, 2, 90001},
        Shape{30000, 3, 30000, 3}, Shape{87382, 2, 87382, 2}, Shape{100000, 2, 90000, 3},
        Shape{90000, 3, 100000, 2}}) {
    SCOPED_TRACE(std::to_string(s.wa) + "x" + std::to_string(s.ha) + " vs " + std::to_string(s.wb) +
                 "x" + std::to_string(s.hb));
    TempDir dir;
    const Bytes a = bmptest::MakePixels(s.wa, s.ha, [&rng](std::size_t) { return rng(); });
    const Bytes b = bmptest::MakePixels(s.wb, s.hb, [&rng](std::size_t) { return rng(); });
    WriteFile(dir / "a.bmp", MakeBmp(s.wa, s.ha, a));
    WriteFile(dir / "b.bmp", MakeBmp(s.wb, s.hb, b));
    // The mean worked out here, byte by byte, over the common area.
    const std::uint32_t w = std::min(s.wa, s.wb), h = std::min(s.ha, s.hb);
    std::uint64_t sum = 0;
    for (std::size_t y = 0; y < h; ++y) {
      for (std::size_t i = 0; i < std::size_t{w} * 3; ++i) {
        sum += static_cast<std::uint64_t>(
            std::abs(int{a[y * s.wa * 3 + i]} - int{b[y * s.wb * 3 + i]}));
      }
    }
    const double expected = static_cast<double>(sum) / (static_cast<double>(w) * h * 3);
    const bmptest::MaeCall c = CallMae(dir / "a.bmp", dir / "b.bmp");
    EXPECT_EQ(c.result, expected);
    const bool same_size = s.wa == s.wb && s.ha == s.hb;
    EXPECT_EQ(c.out, same_size ? "" : " Warning: The size of 2 images is not the same!\n");
  }
}

TEST(Tables, PairEachOutputWithItsReference) {
  const char* const expected[10] = {"Blur1.bmp",  "Blur2.bmp",  "Blur3.bmp",  "Blur4.bmp",
                                    "Blur5.bmp",  "Sobel1.bmp", "Sobel2.bmp", "Sobel3.bmp",
                                    "Sobel4.bmp", "Sobel5.bmp"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_STREQ(output_name[i], expected[i]);
    EXPECT_EQ(std::string(ans_name[i]), std::string("ANS/") + expected[i]);
  }
}

}  // namespace
