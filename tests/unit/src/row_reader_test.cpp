// Standard BMP files pad every row to a multiple of 4 bytes; files written by
// BmpReader::WriteBMP hold packed rows. Both must read as the same picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "MAE.h"
#include "bmp_reader.h"
#include "testkit/bmp_bytes.h"
#include "testkit/call_mae.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::CallMae;
using bmptest::MakeBmp;
using bmptest::MakePaddedBmp;
using bmptest::TempDir;
using bmptest::WriteFile;

struct Size {
  std::uint32_t width;
  std::uint32_t height;
};

// Widths 1 to 8 take every amount of padding twice; the large odd ones
// take the reads through a buffer of many rows, and rows longer than it.
const Size kSizes[] = {{1, 1}, {1, 3}, {2, 2},    {3, 4},     {4, 3},     {5, 2},    {6, 5},
                       {7, 3}, {8, 2}, {1001, 7}, {479, 640}, {87383, 2}, {90001, 3}};

Bytes Random(std::mt19937& rng, Size s) {
  return bmptest::MakePixels(s.width, s.height, [&rng](std::size_t) { return rng(); });
}

Bytes Load(const std::string& path, Size s) {
  BmpReader reader;
  std::int32_t w = 0;
  std::int32_t h = 0;
  BmpBlock block(reader.ReadBMP(path.c_str(), &w, &h));
  if (!block || w != static_cast<std::int32_t>(s.width) ||
      h != static_cast<std::int32_t>(s.height)) {
    return {};
  }
  return Bytes(block.get(), block.get() + std::size_t{s.width} * s.height * 3);
}

// The mean over the common area, computed the plain way from packed pixels.
double IndependentMean(const Bytes& a, Size sa, const Bytes& b, Size sb) {
  const std::size_t w = std::min(sa.width, sb.width);
  const std::size_t h = std::min(sa.height, sb.height);
  std::uint64_t sum = 0;
  for (std::size_t r = 0; r < h; ++r) {
    for (std::size_t i = 0; i < w * 3; ++i) {
      sum +=
          static_cast<std::uint64_t>(std::abs(a[r * sa.width * 3 + i] - b[r * sb.width * 3 + i]));
    }
  }
  return static_cast<double>(sum) / static_cast<double>(w * h * 3);
}

TEST(RowLayout, ReadsPaddedAndPackedFilesAsTheSamePixels) {
  std::mt19937 rng(7);
  for (const Size s : kSizes) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    TempDir dir;
    const Bytes pixels = Random(rng, s);
    WriteFile(dir / "padded.bmp", MakePaddedBmp(s.width, s.height, pixels, 0xAB));
    WriteFile(dir / "no_last_pad.bmp", MakePaddedBmp(s.width, s.height, pixels, 0xAB, false));
    WriteFile(dir / "packed.bmp", MakeBmp(s.width, s.height, pixels));
    EXPECT_EQ(Load(dir / "padded.bmp", s), pixels);
    EXPECT_EQ(Load(dir / "no_last_pad.bmp", s), pixels);
    EXPECT_EQ(Load(dir / "packed.bmp", s), pixels);
  }
}

TEST(RowLayout, ComparesStandardFilesLikeAPlainSumOverTheirPixels) {
  std::mt19937 rng(11);
  for (const Size s : kSizes) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    TempDir dir;
    const Bytes a = Random(rng, s);
    Bytes b = a;
    for (std::size_t i = 0; i < b.size(); i += 5) {
      b[i] = static_cast<unsigned char>(rng());
    }
    WriteFile(dir / "a.bmp", MakePaddedBmp(s.width, s.height, a, 0x00));
    WriteFile(dir / "b.bmp", MakePaddedBmp(s.width, s.height, b, 0xFF));
    WriteFile(dir / "a_other_pad.bmp", MakePaddedBmp(s.width, s.height, a, 0xFF));
    WriteFile(dir / "a_packed.bmp", MakeBmp(s.width, s.height, a));
    WriteFile(dir / "b_packed.bmp", MakeBmp(s.width, s.height, b));

    const double expected = IndependentMean(a, s, b, s);
    for (const auto& pair : {std::pair<const char*, const char*>{"a.bmp", "b.bmp"},
                             {"a_packed.bmp", "b.bmp"},
                             {"a.bmp", "b_packed.bmp"},
                             {"a_packed.bmp", "b_packed.bmp"}}) {
      SCOPED_TRACE(std::string(pair.first) + " against " + pair.second);
      const bmptest::MaeCall c = CallMae(dir / pair.first, dir / pair.second);
      EXPECT_EQ(c.out, "");
      EXPECT_EQ(c.result, expected);
    }
    // The same pixels with other padding bytes, or packed: identical.
    EXPECT_EQ(CallMae(dir / "a.bmp", dir / "a_other_pad.bmp").result, 0.0);
    EXPECT_EQ(CallMae(dir / "a_other_pad.bmp", dir / "a_packed.bmp").result, 0.0);
  }
}

TEST(RowLayout, APictureCroppedByOneColumnSharesItsWholeCommonArea) {
  std::mt19937 rng(3);
  for (const Size s : {Size{480, 64}, Size{70, 46}, Size{5, 3}, Size{2, 2}}) {
    SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
    TempDir dir;
    const Bytes full = Random(rng, s);
    const Size cropped_size{s.width - 1, s.height};
    Bytes cropped;
    for (std::size_t r = 0; r < s.height; ++r) {
      const auto row = full.begin() + static_cast<std::ptrdiff_t>(r * s.width * 3);
      cropped.insert(cropped.end(), row, row + static_cast<std::ptrdiff_t>(cropped_size.width * 3));
    }
    WriteFile(dir / "full.bmp", MakePaddedBmp(s.width, s.height, full, 0x55));
    WriteFile(dir / "cropped.bmp",
              MakePaddedBmp(cropped_size.width, cropped_size.height, cropped, 0x77));
    const bmptest::MaeCall c = CallMae(dir / "full.bmp", dir / "cropped.bmp");
    EXPECT_EQ(c.out, " Warning: The size of 2 images is not the same!\n");
    EXPECT_EQ(c.result, 0.0);
  }
}

// A standard file as ImageMagick writes it: padded rows, and both size
// fields saying so.
Bytes Standard(Size s, const Bytes& pixels) {
  Bytes file = MakePaddedBmp(s.width, s.height, pixels);
  bmptest::PutLe(file, 34, file.size() - 54, 4);
  return file;
}

TEST(RowLayout, TheHeaderSaysWhichLayoutTheWriterMeant) {
  std::mt19937 rng(5);
  for (const std::uint32_t width : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 1001u}) {
    SCOPED_TRACE("width " + std::to_string(width));
    const Size s{width, 3};
    const std::size_t row = width * 3;
    const std::size_t pad = (row + 3) / 4 * 4 - row;
    TempDir dir;
    const Bytes pixels = Random(rng, s);
    const Bytes standard = Standard(s, pixels);
    WriteFile(dir / "whole.bmp", standard);
    struct Cut {
      std::size_t bytes;
      bool reads;
    };
    for (const Cut cut : {Cut{pad, true}, Cut{pad + 1, false}, Cut{row + pad, false}}) {
      SCOPED_TRACE("cut by " + std::to_string(cut.bytes));
      WriteFile(dir / "cut.bmp", Bytes(standard.begin(), standard.end() - long(cut.bytes)));
      const bmptest::MaeCall c = CallMae(dir / "cut.bmp", dir / "whole.bmp");
      EXPECT_EQ(c.result, cut.reads ? 0.0 : -1.0);
      EXPECT_EQ(c.out, cut.reads ? ""
                                 : " Error: " + (dir / "cut.bmp") +
                                       " holds less pixel data than its header declares.\n");
    }
    // Packed rows under a size field that says so (as WriteBMP wrote them
    // before it padded) stay packed, whatever follows their pixels, but for
    // a file exactly as long as padded rows: a standard file whose writer
    // counted its rows without the padding, read padded.
    Bytes packed = MakeBmp(s.width, s.height, pixels);
    for (const std::size_t extra : {std::size_t{0}, 3 * pad, 3 * pad + 1}) {
      packed.resize(54 + row * 3 + extra, 0x5A);
      WriteFile(dir / "packed.bmp", packed);
      if (pad == 0 || extra != 3 * pad) {
        EXPECT_EQ(Load(dir / "packed.bmp", s), pixels) << extra << " bytes after the pixels";
      }
    }
    Bytes unpadded_field = standard;
    bmptest::PutLe(unpadded_field, 2, 54 + row * 3, 4);
    bmptest::PutLe(unpadded_field, 34, 0, 4);
    WriteFile(dir / "unpadded_field.bmp", unpadded_field);
    EXPECT_EQ(Load(dir / "unpadded_field.bmp", s), pixels);
  }
}

}  // namespace
