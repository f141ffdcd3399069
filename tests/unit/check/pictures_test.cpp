// mae-check's pictures: shades, PNG encoding with its filters, and the
// difference painter, each read back by an independent decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "case_pictures.h"
#include "picture.h"
#include "png.h"
#include "png_filter.h"
#include "testkit/bmp_bytes.h"
#include "testkit/png_decode.h"

namespace {

using namespace mae::check;

using bmptest::Bytes;
using bmptest::Decoded;
using bmptest::DecodePng;

TEST(Pictures, ShadesAndEncodings) {
  // The difference scale: a level for each of 1 to 7, never lower for
  // more; each colour its own, not grey, and found again from its value.
  EXPECT_EQ(DiffLevel(1), 0);
  EXPECT_EQ(DiffLevel(255), kDiffLevels - 1);
  for (unsigned d = 2; d <= 255; ++d) {
    EXPECT_GE(DiffLevel(d), DiffLevel(d - 1) + (d <= 7 ? 1 : 0)) << d;
    EXPECT_GE(LevelTop(DiffLevel(d)), d);
  }
  for (int level = 0; level < kDiffLevels; ++level) {
    const unsigned char* c = DiffColour(level);
    EXPECT_FALSE(c[0] == c[1] && c[1] == c[2]) << level;
    EXPECT_EQ(LevelOfColour(c), level);
  }
  const unsigned char grey[3] = {200, 200, 200}, off[3] = {254, 237, 160};
  EXPECT_EQ(LevelOfColour(grey), -1);
  EXPECT_EQ(LevelOfColour(off), -1);
  // Grey: black and white stay apart, both on the light side.
  EXPECT_EQ(FadedGrey(0, 0, 0), 128);
  EXPECT_EQ(FadedGrey(255, 255, 255), 255);
  // A picture survives encoding and decoding byte for byte.
  Picture picture;
  picture.width = 5;
  picture.height = 3;
  for (int i = 0; i < 45; ++i) {
    picture.rgb.push_back(static_cast<unsigned char>(i * 17));
  }
  std::string png;
  EXPECT_FALSE(EncodePng(picture, &png));
  const Decoded back = DecodePng(Bytes(png.begin(), png.end()));
  EXPECT_EQ(back.width, 5u);
  EXPECT_EQ(back.height, 3u);
  EXPECT_EQ(back.rgb, picture.rgb);
}

// A picture that cannot be made is a problem of its own kind, said with
// what was being made; a case keeps the first such problem's words.
TEST(Pictures, APictureThatCannotBeMadeIsAProblemAndTheFirstIsKept) {
  std::string png = "kept";
  const Problem problem = CasePng(Picture(), &png, true);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem.kind(), ProblemKind::kPicture);
  EXPECT_EQ(problem.words(), "cannot make a PNG picture: an empty picture");
  EXPECT_EQ(png, "kept");
  CasePictures pictures;
  pictures.Note(Problem::None());
  pictures.Note(problem);
  pictures.Note(Problem::Picture("later"));
  EXPECT_EQ(pictures.error, problem.words());
}

TEST(Pictures, ChoosesTheFilterThatSuitsEachPictureAndDecodesBack) {
  // Pictures that each filter predicts exactly, from a noisy first row and
  // column, above rows that the sample (row 1) leaves out: noise, and
  // pixels whose left, upper and upper-left neighbours (10, 40, 20) tie
  // Paeth's upper and upper-left guesses. A decoder of its own must give
  // every byte back.
  const std::uint32_t w = 23, h = 9;
  const auto make = [&](auto next) {
    Picture p;
    p.width = w;
    p.height = h;
    p.rgb.resize(std::size_t{w} * h * 3);
    for (std::size_t i = 0; i < p.rgb.size(); ++i) {
      const std::size_t x = i / 3 % w, y = i / 3 / w;
      const unsigned a = x > 0 ? p.rgb[i - 3] : 0, b = y > 0 ? p.rgb[i - w * 3] : 0;
      const unsigned c = x > 0 && y > 0 ? p.rgb[i - w * 3 - 3] : 0;
      const unsigned noise = static_cast<unsigned char>((i * 2654435761u) >> 11);
      const unsigned ties[2][2] = {{20, 40}, {10, noise}};
      p.rgb[i] = static_cast<unsigned char>(x == 0 || y == 0 ? noise
                                            : y > 4          ? ties[y % 2][x % 2]
                                                             : next(a, b, c));
    }
    return p;
  };
  const auto paeth = [](unsigned a, unsigned b, unsigned c) {
    const int p = int(a + b) - int(c), pa = std::abs(p - int(a)), pb = std::abs(p - int(b));
    const int pc = std::abs(p - int(c));
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
  };
  const std::pair<Picture, PngFilter> pictures[] = {
      {make([](unsigned, unsigned, unsigned) { return 0u; }), PngFilter::kNone},
      {make([](unsigned a, unsigned, unsigned) { return a; }), PngFilter::kSub},
      {make([](unsigned, unsigned b, unsigned) { return b; }), PngFilter::kUp},
      {make([](unsigned a, unsigned b, unsigned) { return (a + b) / 2; }), PngFilter::kAverage},
      {make(paeth), PngFilter::kPaeth},
  };
  for (const auto& [picture, filter] : pictures) {
    SCOPED_TRACE(static_cast<int>(filter));
    EXPECT_EQ(ChooseFilter(picture.rgb.data(), w * 3, h, 3), filter);
    std::string png;
    EXPECT_FALSE(EncodePng(picture, &png));
    EXPECT_EQ(DecodePng(Bytes(png.begin(), png.end())).rgb, picture.rgb);
  }
}

TEST(Pictures, PaintsAndMarksTheSameWhateverPiecesTheRowsComeIn) {
  // 37 x 5 pixels, mostly equal, some differing by up to 255; the largest
  // difference (twice) in the second file row, where it is first read from
  // the top at x 3. Painted whole rows, then in pieces of 1 and 7 pixels.
  const std::uint32_t w = 37, h = 5;
  Bytes ref(w * h * 3), out(w * h * 3);
  for (std::size_t i = 0; i < ref.size(); ++i) {
    ref[i] = static_cast<unsigned char>(i * 97);
    out[i] = i % 11 == 0 ? static_cast<unsigned char>(ref[i] + (i * 7) % 200 + 1) : ref[i];
  }
  ref[(w + 3) * 3] = out[(w + 30) * 3 + 2] = 0;
  out[(w + 3) * 3] = ref[(w + 30) * 3 + 2] = 255;
  std::vector<DiffPainter> painted;
  for (const std::size_t piece : {std::size_t{w}, std::size_t{1}, std::size_t{7}}) {
    painted.emplace_back(w, h);
    for (std::uint32_t row = 0; row < h; ++row) {
      for (std::size_t x = 0; x < w; x += piece) {
        const std::size_t at = (row * w + x) * 3;
        painted.back().Paint(row, x * 3, &out[at], &ref[at], std::min(piece, w - x) * 3);
      }
    }
  }
  for (const DiffPainter& p : painted) {
    EXPECT_EQ(p.picture().rgb, painted[0].picture().rgb);
    EXPECT_EQ(p.marks().columns, painted[0].marks().columns);
    EXPECT_EQ(p.marks().cells, painted[0].marks().cells);
    EXPECT_EQ(p.marks().rows, std::vector<unsigned char>(h, 1));
    EXPECT_EQ(std::make_tuple(p.marks().largest, p.marks().largest_x, p.marks().largest_y),
              std::make_tuple(255u, 3u, h - 2));
  }
  // Every pixel: grey where equal, its difference's colour where not.
  for (std::size_t i = 0; i < ref.size(); i += 3) {
    const std::size_t top_first = ((h - 1 - i / 3 / w) * w + i / 3 % w) * 3;
    const unsigned char* p = &painted[0].picture().rgb[top_first];
    unsigned d = 0;
    for (std::size_t k = i; k < i + 3; ++k) {
      d = std::max(d, static_cast<unsigned>(std::abs(int{out[k]} - int{ref[k]})));
    }
    const unsigned char g = FadedGrey(ref[i], ref[i + 1], ref[i + 2]);
    const unsigned char* c = DiffColour(DiffLevel(d));
    const std::vector<unsigned char> want =
        d == 0 ? std::vector<unsigned char>{g, g, g} : std::vector<unsigned char>(c, c + 3);
    ASSERT_EQ(std::vector<unsigned char>(p, p + 3), want) << i / 3;
  }
}

}  // namespace
