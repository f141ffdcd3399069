// mae-check's decode layer: what a file's first bytes make it, and each
// BMP variant and PNG decoded to bottom-up 24-bit pixels, or refused for
// the right reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmp_decode.h"
#include "compare.h"
#include "decoded_file.h"
#include "file_kind.h"
#include "opened_picture.h"
#include "png.h"
#include "png_decode.h"
#include "testkit/bmp_formats.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae::check;
using bmptest::Bytes;
using bmptest::PutLe;

BmpInfo Info(const Bytes& f) {
  return ReadBmpInfo(f.data(), f.size(), f.size());
}

// The decoded pixels, or the failure.
DecodeFailure Decode(const Bytes& f, std::vector<unsigned char>* out) {
  const BmpInfo info = Info(f);
  out->assign(std::size_t{info.width} * info.height * 3, 0);
  return DecodeBmpPixels(info, f.data(), f.size(), out->data());
}

// `width` x 3 of `colours` colours (at most 16), each channel a value that
// 5 or 6 bits widen to, so that every format holds it. 5 wide: rows are
// padded, and no byte of 1-bit indices is whole.
bmptest::Picture24 Colours(unsigned colours, std::uint32_t width = 5) {
  const unsigned char five[] = {0x00, 0xFF, 0x84, 0x42}, six[] = {0x00, 0xFF, 0x82, 0x41};
  bmptest::Picture24 p{width, 3, {}};
  for (unsigned i = 0; i < width * 3; ++i) {
    const unsigned c = (i + i / width) % colours;
    p.bgr.insert(p.bgr.end(), {five[c & 3], six[c >> 2 & 3], five[(c + c / 4) & 3]});
  }
  return p;
}

// A 32- or 16-bit file with bit fields (compression 3) of `pixels` in one
// row, top down when `top_down`, each pixel's row repeated below it.
Bytes Fields(std::uint16_t bits, const std::uint32_t (&masks)[3],
             const std::vector<std::uint32_t>& pixels, bool top_down = false) {
  const bmptest::Picture24 p{static_cast<std::uint32_t>(pixels.size()), 2, {}};
  Bytes f = bmptest::FormatHeader(p, top_down ? -2 : 2, bits, 3, 0, 12);
  f.resize(66, 0);
  for (int i = 0; i < 3; ++i) {
    PutLe(f, 54 + 4 * std::size_t(i), masks[i], 4);
  }
  for (int row = 0; row < 2; ++row) {
    const std::size_t start = f.size();
    for (const std::uint32_t v : pixels) {
      for (int k = 0; k < bits / 8; ++k) {
        f.push_back(static_cast<unsigned char>(v >> (8 * k)));
      }
    }
    bmptest::PadRow(&f, start);
  }
  bmptest::SetFileSize(&f);
  return f;
}

// The channel a mask picks, worked out bit by bit: the field from the
// mask's lowest set bit for as many set bits as run on; at least 8 bits
// keep their top 8, fewer are repeated until there are 8 or more and the
// top 8 taken. (A mask with gaps drags its higher bits along.)
unsigned Reference(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) {
    return 0;
  }
  int shift = 0, bits = 0;
  while ((mask >> shift & 1u) == 0) {
    ++shift;
  }
  while (shift + bits < 32 && (mask >> (shift + bits) & 1u) != 0) {
    ++bits;
  }
  const std::uint32_t v = (pixel & mask) >> shift;
  if (bits >= 8) {
    return v >> (bits - 8) & 0xFF;
  }
  std::uint32_t wide = 0;
  int total = 0;
  for (; total < 8; total += bits) {
    wide = wide << bits | v;
  }
  return wide >> (total - 8) & 0xFF;
}

TEST(Decode, ReadBmpInfoTellsTheFormat) {
  const bmptest::Picture24 p = Colours(2);
  const auto with = [](Bytes f, std::size_t at, std::uint32_t v, int width) {
    PutLe(f, at, v, width);
    return f;
  };
  const Bytes plain = bmptest::MakeBmp(5, 3, p.bgr);
  const struct {
    const char* name;
    Bytes file;
    ImageFormat format;
    bool top_down, os2;
  } rows[] = {
      {"24", plain, ImageFormat::kBmp24, false, false},
      {"24 top down", bmptest::TopDown24(p), ImageFormat::kBmp24, true, false},
      {"32", bmptest::Bmp32(p), ImageFormat::kBmp32, false, false},
      {"32 fields", Fields(32, {1, 2, 4}, {0}), ImageFormat::kBmp32, false, false},
      {"32 alpha fields", with(Fields(32, {1, 2, 4}, {0}), 30, 6, 4), ImageFormat::kBmp32, false,
       false},
      {"16", with(bmptest::Bmp565(p), 30, 0, 4), ImageFormat::kBmp16, false, false},
      {"16 fields", bmptest::Bmp565(p), ImageFormat::kBmp16, false, false},
      {"8", bmptest::Palette(p, 8), ImageFormat::kBmp8, false, false},
      {"4", bmptest::Palette(p, 4), ImageFormat::kBmp4, false, false},
      {"1", bmptest::Palette(p, 1), ImageFormat::kBmp1, false, false},
      {"rle8", bmptest::Rle(p, false), ImageFormat::kRle8, false, false},
      {"rle4", bmptest::Rle(p, true), ImageFormat::kRle4, false, false},
      {"rle8 top down", with(bmptest::Rle(p, false), 22, -3u, 4), ImageFormat::kUnknown, true,
       false},
      {"os/2 1.x", bmptest::Os2(p, 8, 12), ImageFormat::kBmp8, false, true},
      {"os/2 2.x", bmptest::Os2(p, 4, 16), ImageFormat::kBmp4, false, false},
      {"jpeg", with(bmptest::Palette(p, 8), 30, 4, 4), ImageFormat::kBmpJpeg, false, false},
      {"rle24", with(plain, 30, 4, 4), ImageFormat::kRle24, false, false},
      {"png", with(plain, 30, 5, 4), ImageFormat::kBmpPng, false, false},
      {"2 bits", with(plain, 28, 2, 2), ImageFormat::kUnknown, false, false},
      {"64 bits", with(plain, 28, 64, 2), ImageFormat::kUnknown, false, false},
      {"compression 7", with(plain, 30, 7, 4), ImageFormat::kUnknown, false, false},
      {"width 0", with(plain, 18, 0, 4), ImageFormat::kUnknown, false, false},
      {"not BM", with(plain, 0, 'M' | 'B' << 8, 2), ImageFormat::kUnknown, false, false},
  };
  for (const auto& row : rows) {
    const BmpInfo info = Info(row.file);
    EXPECT_EQ(info.format, row.format) << row.name;
    EXPECT_EQ(info.top_down, row.top_down) << row.name;
    EXPECT_EQ(info.os2, row.os2) << row.name;
  }
  const BmpInfo b16 = Info(rows[5].file), b32 = Info(rows[2].file), f32 = Info(rows[3].file);
  EXPECT_EQ(b16.masks[0] | b16.masks[1] << 16, 0x7C00u | 0x03E0u << 16) << "5-5-5";
  EXPECT_EQ(b32.masks[0] | b32.masks[1] | b32.masks[2], 0xFFFFFFu);
  EXPECT_EQ(f32.masks[2], 4u);
  EXPECT_EQ(Info(rows[13].file).palette_entry, 3u);
}

TEST(Decode, IdentifyBytesKnowsPngAndOs2) {
  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0};
  const Bytes os2 = bmptest::Os2(Colours(2), 1, 12);
  const Bytes too_short = {'B', 'M', 0};
  EXPECT_EQ(IdentifyBytes(png.data(), png.size(), png.size()).format, ImageFormat::kPng);
  EXPECT_EQ(IdentifyBytes(os2.data(), os2.size(), os2.size()).format, ImageFormat::kBmpOs2);
  EXPECT_EQ(IdentifyBytes(too_short.data(), too_short.size(), 3).format, ImageFormat::kUnknown);
}

// One opening serves every reader: a file in another format is read
// through its decoded copy, and what cannot be used keeps the original's
// outcome.
TEST(Decode, AnOpenedPictureIsReadThroughOneRecord) {
  const bmptest::TempDir dir;
  const bmptest::Picture24 p = Colours(16, 19);
  bmptest::WriteFile(dir / "24.bmp", bmptest::MakeBmp(p.width, p.height, p.bgr));
  bmptest::WriteFile(dir / "32.bmp", bmptest::Bmp32(p));
  OpenedPicture plain(dir / "24.bmp", kDefaultMaxPixels);
  OpenedPicture wide(dir / "32.bmp", kDefaultMaxPixels);
  EXPECT_FALSE(plain.decoded());
  EXPECT_TRUE(wide.decoded());
  EXPECT_EQ(wide.kind().format, ImageFormat::kBmp32);
  EXPECT_EQ(wide.layout(), mae::RowLayout::kEither);
  const mae::Comparison same = mae::CompareOpenFiles(wide.file(), plain.file());
  EXPECT_EQ(same.state, mae::CompareState::kCompared);
  EXPECT_EQ(same.sum, 0u);
  ASSERT_TRUE(wide.file().Map());
  EXPECT_EQ(wide.View().width, p.width);

  const OpenedPicture refused(dir / "32.bmp", 10);
  EXPECT_FALSE(refused.decoded());
  EXPECT_NE(refused.decode_error().find("too large to decode"), std::string::npos);
  EXPECT_EQ(refused.file().header().bit_count, 32);
  const OpenedPicture missing(dir / "none.bmp", kDefaultMaxPixels);
  EXPECT_EQ(missing.file().outcome().status, mae::BmpStatus::kCannotOpen);
  EXPECT_EQ(missing.kind().format, ImageFormat::kUnknown);
}

TEST(Decode, EachFormatGivesTheSamePicture) {
  const bmptest::Picture24 p16 = Colours(16), p2 = Colours(2), p16w = Colours(16, 19),
                           p2w = Colours(2, 19);
  const struct {
    const char* name;
    Bytes file;
    const bmptest::Picture24& picture;
  } rows[] = {
      {"24 top down", bmptest::TopDown24(p16), p16},
      {"32", bmptest::Bmp32(p16), p16},
      {"565", bmptest::Bmp565(p16), p16},
      {"8", bmptest::Palette(p16, 8), p16},
      {"4", bmptest::Palette(p16, 4), p16},
      {"1", bmptest::Palette(p2, 1), p2},
      {"4, 19 wide", bmptest::Palette(p16w, 4), p16w},
      {"1, 19 wide", bmptest::Palette(p2w, 1), p2w},
      {"rle8", bmptest::Rle(p16, false), p16},
      {"rle4", bmptest::Rle(p16, true), p16},
      {"rle8 absolute", bmptest::RleAbsolute(p16), p16},
      {"os/2 1.x 8", bmptest::Os2(p16, 8, 12), p16},
      {"os/2 1.x 24", bmptest::Os2(p16, 24, 12), p16},
      {"os/2 2.x 4", bmptest::Os2(p16, 4, 20), p16},
  };
  for (const auto& row : rows) {
    std::vector<unsigned char> out;
    EXPECT_EQ(Decode(row.file, &out).kind, DecodeFailure::kNone) << row.name;
    EXPECT_EQ(out, row.picture.bgr) << row.name;
  }
}

// Masks: every field of every width and place, masks with gaps, none; the
// usual 32-bit ones; pixels: none, all and each bit set, and others.
TEST(Decode, BitFieldsAreEachChannelWidened) {
  std::vector<std::uint32_t> masks = {0, 0x00FF0000u, 0x0000FF00u, 0x000000FFu};
  for (int shift = 0; shift < 32; ++shift) {
    for (int bits = 1; shift + bits <= 32; ++bits) {
      masks.push_back(static_cast<std::uint32_t>((std::uint64_t{1} << bits) - 1) << shift);
    }
  }
  std::uint32_t seed = 12345;
  const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < 64; ++i) {
    masks.push_back(next() & next());
  }
  std::vector<std::uint32_t> pixels = {0, ~0u};
  for (int k = 0; k < 32; ++k) {
    pixels.push_back(1u << k);
  }
  for (int i = 0; i < 31; ++i) {  // 65 in all: a row of 4-pixel steps and one more
    pixels.push_back(next());
  }
  for (const int bits : {32, 16}) {
    for (std::size_t i = 0; i < masks.size(); ++i) {
      const std::uint32_t keep = bits == 16 ? 0xFFFFu : ~0u;
      // Each mask with two others; mask 1 with the next two: the usual ones.
      const std::uint32_t m[3] = {masks[i] & keep,
                                  masks[i == 1 ? 2 : (i * 7 + 2) % masks.size()] & keep,
                                  masks[i == 1 ? 3 : (i * 13 + 3) % masks.size()] & keep};
      std::vector<unsigned char> out;
      ASSERT_EQ(Decode(Fields(static_cast<std::uint16_t>(bits), m, pixels, i % 2), &out).kind,
                DecodeFailure::kNone);
      for (std::size_t x = 0; x < out.size() / 3; ++x) {
        const std::uint32_t v = pixels[x % pixels.size()] & keep;
        ASSERT_EQ(out[3 * x] | out[3 * x + 1] << 8 | out[3 * x + 2] << 16,
                  Reference(v, m[2]) | Reference(v, m[1]) << 8 | Reference(v, m[0]) << 16)
            << bits << " bits, masks " << m[0] << " " << m[1] << " " << m[2] << ", pixel " << v;
      }
    }
  }
  // The widening as ImageMagick's: (mask, pixel, red).
  const std::uint32_t known[][3] = {{0x1F, 0x1F, 0xFF},   {0x1F, 0x10, 0x84},
                                    {0x7E0, 0x400, 0x82}, {1, 1, 0xFF},
                                    {7, 5, 0xB6},         {3, 2, 0xAA},
                                    {0x3FF, 0x200, 0x80}, {0xFF000000u, 0xAB000000u, 0xAB},
                                    {0x3FF, 0x3FF, 0xFF}, {0x7C00, 0x8000, 0},
                                    {0, ~0u, 0}};
  for (const auto& k : known) {
    std::vector<unsigned char> out;
    Decode(Fields(32, {k[0], 0, 0}, {k[1]}), &out);
    EXPECT_EQ(out[2], k[2]) << "mask " << k[0] << " pixel " << k[1];
  }
}

// An RLE8 file over `colours` palette entries, its runs as given.
Bytes Rle8(std::uint32_t width, std::uint32_t height, unsigned colours, const Bytes& runs) {
  const bmptest::Picture24 p{width, height, {}};
  Bytes f = bmptest::FormatHeader(p, static_cast<std::int32_t>(height), 8, 1, colours, 0);
  f.resize(54 + colours * 4, 0x40);
  f.insert(f.end(), runs.begin(), runs.end());
  bmptest::SetFileSize(&f);
  return f;
}

TEST(Decode, BrokenPixelsAreRefusedForTheirReason) {
  const bmptest::Picture24 p2 = Colours(2);
  const auto with = [](Bytes f, std::size_t from_pixels, unsigned char v) {
    f[Info(f).offset + from_pixels] = v;
    return f;
  };
  Bytes one_colour = bmptest::Palette(p2, 1), one_colour_w = bmptest::Palette(Colours(2, 16), 1);
  PutLe(one_colour, 46, 1, 4);
  PutLe(one_colour_w, 46, 1, 4);
  Bytes short32 = bmptest::Bmp32(p2), short24 = bmptest::TopDown24(p2);
  short32.pop_back();
  short24.pop_back();  // the last row's padding: not needed
  using F = DecodeFailure;
  const struct {
    const char* name;
    Bytes file;
    F::Kind kind;
    std::uint32_t index, size;
  } rows[] = {
      {"8: index past the palette", with(bmptest::Palette(p2, 8), 3, 2), F::kPaletteIndex, 2, 2},
      {"4: in a byte's low half", with(bmptest::Palette(p2, 4), 0, 0x02), F::kPaletteIndex, 2, 2},
      {"1: a palette of one", one_colour, F::kPaletteIndex, 1, 1},
      {"1, 16 wide: a palette of one", one_colour_w, F::kPaletteIndex, 1, 1},
      {"32: a byte short", short32, F::kPixelsMissing, 0, 0},
      {"24 top down: padding short", short24, F::kNone, 0, 0},
      {"rle: a run past the last row", Rle8(2, 1, 2, {2, 0, 0, 0, 1, 0}), F::kRunsPast, 0, 0},
      {"rle: a jump past the edge", Rle8(2, 1, 2, {0, 2, 3, 0}), F::kRunsPast, 0, 0},
      {"rle: a row never reached", Rle8(2, 2, 2, {2, 0, 0, 0}), F::kEndsEarly, 0, 0},
      {"rle: an absolute run cut off", Rle8(2, 1, 2, {0, 4, 1}), F::kEndsEarly, 0, 0},
      {"rle: index past the palette", Rle8(2, 1, 2, {1, 5}), F::kPaletteIndex, 5, 2},
      {"rle: no palette", Rle8(2, 1, 0, {2, 0, 0, 1}), F::kPaletteIndex, 0, 0},
      {"rle: whole", Rle8(2, 1, 2, {2, 1, 0, 1}), F::kNone, 0, 0},
  };
  for (const auto& row : rows) {
    std::vector<unsigned char> out;
    const DecodeFailure f = Decode(row.file, &out);
    EXPECT_EQ(f.kind, row.kind) << row.name;
    EXPECT_EQ(f.index, row.index) << row.name;
    EXPECT_EQ(f.size, row.size) << row.name;
  }
}

TEST(Decode, PngStreamBecomesABottomUpBmp) {
  Picture picture{4, 2, {}};
  for (unsigned char i = 0; i < 24; ++i) {
    picture.rgb.push_back(static_cast<unsigned char>(i * 11));
  }
  std::string png;
  ASSERT_FALSE(EncodePng(picture, &png));
  Decoding d = DecodePngStream(Bytes(png.begin(), png.end()), "a PNG file", 8);
  ASSERT_EQ(d.error, "");
  mae::BmpFile copy;
  copy.Adopt(d.file.release());
  Bytes file(static_cast<std::size_t>(copy.size()));
  ASSERT_TRUE(copy.ReadAt(0, file.data(), file.size()));
  const BmpInfo info = Info(file);
  ASSERT_EQ(info.format, ImageFormat::kBmp24);
  ASSERT_FALSE(info.top_down);
  ASSERT_EQ(file.size(), info.offset + 24);
  for (std::size_t y = 0; y < 2; ++y) {
    for (std::size_t x = 0; x < 12; ++x) {  // blue green red, bottom row first
      EXPECT_EQ(file[info.offset + (1 - y) * 12 + x], picture.rgb[y * 12 + x / 3 * 3 + 2 - x % 3]);
    }
  }
  EXPECT_NE(DecodePngStream(Bytes(png.begin(), png.end()), "a PNG file", 7).error, "");
  EXPECT_NE(DecodePngStream(Bytes(png.begin(), png.end() - 20), "a PNG file", 8).error, "");
}

}  // namespace
