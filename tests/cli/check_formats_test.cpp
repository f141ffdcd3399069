// Files in every format a student's program may write, compared as the
// 24-bit pixels they hold: each against its 24-bit BMP through mae-check
// (MAE 0, the format said), refused by --strict, and refused by MAE in
// words that name what the file is. Damaged ones are refused with reasons
// of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "picture.h"
#include "png.h"
#include "testkit/bmp_bytes.h"
#include "testkit/bmp_formats.h"
#include "testkit/case_names.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

#ifdef __has_feature
#define MAE_HAS_FEATURE(x) __has_feature(x)
#else
#define MAE_HAS_FEATURE(x) 0
#endif

namespace {

// The sanitizers need far more address space than the program itself.
#if defined(__SANITIZE_ADDRESS__) || MAE_HAS_FEATURE(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

using bmptest::Bytes;
using bmptest::Picture24;
using Json = nlohmann::json;

// 13 x 7 (rows that need padding) in two colours whose bytes 5-6-5 pixels
// widen to exactly (82 = 10 of 31, 162 = 40 of 63, 132 = 16 of 31).
Picture24 TwoColours() {
  Picture24 p{13, 7, {}};
  for (std::uint32_t y = 0; y < p.height; ++y) {
    for (std::uint32_t x = 0; x < p.width; ++x) {
      const Bytes colour = (x * 3 + y * 5) % 7 < 3 ? Bytes{82, 162, 82} : Bytes{255, 0, 132};
      p.bgr.insert(p.bgr.end(), colour.begin(), colour.end());
    }
  }
  return p;
}

Bytes Png(const Picture24& p) {
  mae::check::Picture picture;
  picture.width = p.width;
  picture.height = p.height;
  for (std::uint32_t y = p.height; y-- > 0;) {
    for (std::uint32_t x = 0; x < p.width; ++x) {
      picture.rgb.insert(picture.rgb.end(), {p.at(x, y)[2], p.at(x, y)[1], p.at(x, y)[0]});
    }
  }
  std::string png;
  EXPECT_FALSE(mae::check::EncodePng(picture, &png));
  return Bytes(png.begin(), png.end());
}

// A BMP file whose pixel data is a PNG stream (compression 5).
Bytes BmpPng(const Picture24& p) {
  Bytes f = bmptest::FormatHeader(p, static_cast<std::int32_t>(p.height), 0, 5, 0, 0);
  const Bytes png = Png(p);
  f.insert(f.end(), png.begin(), png.end());
  bmptest::PutLe(f, 34, png.size(), 4);
  bmptest::SetFileSize(&f);
  return f;
}

// A PNG stream: the signature, an IHDR chunk for width x height 8-bit RGB,
// and `idat` bytes of an IDAT chunk that says it holds more.
Bytes CutPng(std::uint32_t width, std::uint32_t height, std::size_t idat) {
  Bytes f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (const std::uint32_t v : {width, height, 0x08020000u}) {
    f.insert(f.end(), {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                       static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
  }
  f.push_back(0);
  std::uint32_t crc = 0xFFFFFFFFu;  // over the type and the data
  for (std::size_t i = 12; i < f.size(); ++i) {
    crc ^= f[i];
    for (int k = 0; k < 8; ++k) {
      crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  crc = ~crc;
  f.insert(f.end(), {static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
                     static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)});
  f.insert(f.end(), {0, 1, 0, 0, 'I', 'D', 'A', 'T', 0x78, 0x01});
  f.resize(f.size() - 2 + idat, 0);
  return f;
}

// 60 bytes of RLE8 that declare side x side pixels: a palette of one
// colour, and the end of the picture.
Bytes RleSquare(std::uint32_t side) {
  Bytes f = bmptest::FormatHeader({side, side, {}}, static_cast<std::int32_t>(side), 8, 1, 1, 0);
  f.insert(f.end(), {0, 0, 0, 0, 0, 1});
  return f;
}

Json CaseOf(const std::vector<std::string>& args) {
  std::vector<std::string> with_json = args;
  with_json.insert(with_json.begin(), "--json");
  return Json::parse(bmptest::Run(MAE_CHECK_EXE, with_json).out)["cases"][0];
}

TEST(Formats, ComparesThePictureWhateverFormatHoldsIt) {
  const Picture24 p = TwoColours();
  struct Row {
    const char* code;
    Bytes file;
    bool top_down;
    const char* words;     // what the note says the file is
    const char* mae_says;  // after "MAE's  Error: PATH "
  };
  Bytes unpadded = bmptest::Palette(p, 8);  // the last row's 3 bytes of padding left out
  unpadded.resize(unpadded.size() - 3);
  const Row rows[] = {
      {"bmp24", bmptest::TopDown24(p), true, "a top-down 24-bit BMP",
       "is a top-down BMP, which is not supported."},
      {"bmp32", bmptest::Bmp32(p), false, "a 32-bit BMP",
       "is a 32-bit image, which is not supported."},
      {"bmp16", bmptest::Bmp565(p), false, "a 16-bit BMP",
       "is a 16-bit image, which is not supported."},
      {"bmp8", bmptest::Palette(p, 8), false, "an 8-bit BMP with a palette",
       "is an 8-bit image, which is not supported."},
      {"bmp4", bmptest::Palette(p, 4), false, "a 4-bit BMP with a palette",
       "is a 4-bit image, which is not supported."},
      {"bmp1", bmptest::Palette(p, 1), false, "a 1-bit BMP with a palette",
       "is a 1-bit image, which is not supported."},
      {"rle8", bmptest::Rle(p, false), false, "an RLE8-compressed BMP",
       "is RLE-compressed, which is not supported."},
      {"rle4", bmptest::Rle(p, true), false, "an RLE4-compressed BMP",
       "is RLE-compressed, which is not supported."},
      {"png", Png(p), false, "a PNG file", "is a PNG file, not a BMP file."},
      {"rle8", bmptest::RleAbsolute(p), false, "an RLE8-compressed BMP",
       "is RLE-compressed, which is not supported."},
      {"bmp8", unpadded, false, "an 8-bit BMP with a palette",
       "is an 8-bit image, which is not supported."},
      {"bmp_os2", bmptest::Os2(p, 8, 12), false, "an OS/2 BMP",
       "has an OS/2 header, which is not supported."},
      {"bmp_os2", bmptest::Os2(p, 4, 12), false, "an OS/2 BMP",
       "has an OS/2 header, which is not supported."},
      {"bmp_os2", bmptest::Os2(p, 1, 12), false, "an OS/2 BMP",
       "has an OS/2 header, which is not supported."},
      {"bmp_os2", bmptest::Os2(p, 24, 12), false, "an OS/2 BMP",
       "has an OS/2 header, which is not supported."},
      {"bmp8", bmptest::Os2(p, 8, 16), false, "an 8-bit BMP with a palette",
       "is an 8-bit image, which is not supported."},
      {"bmp_png", BmpPng(p), false, "a BMP holding a PNG stream",
       "is a 0-bit image, which is not supported."},
  };
  bmptest::TempDir dir;
  bmptest::WriteFile(dir / "ref.bmp", bmptest::MakePaddedBmp(p.width, p.height, p.bgr));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    bmptest::WriteFile(dir / "out.bmp", row.file);
    const Json c = CaseOf({dir / "out.bmp", dir / "ref.bmp"});
    EXPECT_EQ(c["verdict"], "pass");
    EXPECT_EQ(c["mae"], 0.0);
    EXPECT_EQ(c["output_status"], "ok");
    EXPECT_EQ(c["output_format"], row.code);
    EXPECT_EQ(c["output_top_down"], row.top_down);
    EXPECT_EQ(c["reference_format"], "bmp24");
    EXPECT_EQ(c["note"], "output is " + std::string(row.words) + "; compared as 24-bit pixels");
    const bool in_place = std::string(row.code).find("rle") != 0 &&
                          std::string(row.code).find("png") == std::string::npos;
    EXPECT_EQ(c["output_layout"].is_null(), !in_place);
    const Json strict = CaseOf({"--strict", dir / "out.bmp", dir / "ref.bmp"});
    EXPECT_EQ(strict["verdict"], "fail");
    EXPECT_EQ(strict["reason"],
              "output is " + std::string(row.words) + "; --strict asks for 24-bit");
    EXPECT_EQ(bmptest::Run(MAE_EXE, {dir / "out.bmp", dir / "ref.bmp"}).out,
              " Error: " + (dir / "out.bmp") + " " + row.mae_says + "\nMAE = -1\n");
  }
  // The reference may be in another format too; a plain 24-bit file passes
  // --strict.
  bmptest::WriteFile(dir / "out.bmp", bmptest::MakePaddedBmp(p.width, p.height, p.bgr));
  bmptest::WriteFile(dir / "ref32.bmp", bmptest::Bmp32(p));
  const Json both = CaseOf({"--strict", dir / "out.bmp", dir / "ref32.bmp"});
  EXPECT_EQ(both["verdict"], "pass");
  EXPECT_EQ(both["note"], "reference is a 32-bit BMP; compared as 24-bit pixels");
}

TEST(Formats, RefusesWhatCannotBeDecodedWithItsOwnReason) {
  const Picture24 p = TwoColours();
  // Pixels after the last row, in place of the end of the picture (a run
  // past a row's end is only cut, as encoders round rows up).
  Bytes runs_past = bmptest::Rle(p, false);
  runs_past[runs_past.size() - 2] = 2;
  Bytes ends_early = bmptest::Rle(p, false);
  ends_early.resize(ends_early.size() - 12);
  Bytes index = bmptest::Palette(p, 8);
  index[54 + 8] = 7;  // a pixel of colour 7, in a palette of 2
  Bytes huge = bmptest::Bmp32(p);
  bmptest::PutLe(huge, 18, 30000, 4);
  bmptest::PutLe(huge, 22, 30000, 4);
  Bytes cut = bmptest::Bmp32(p);
  cut.resize(cut.size() - 10);
  Bytes index2 = bmptest::Palette(p, 8);
  index2[54 + 8] = 2;  // just past a palette of 2
  Bytes jpeg_bmp = bmptest::FormatHeader(p, 7, 0, 4, 0, 0);
  jpeg_bmp.insert(jpeg_bmp.end(), {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0});
  Bytes rle24 = bmptest::FormatHeader(p, 7, 24, 4, 0, 0);
  rle24.insert(rle24.end(), {3, 0, 0, 255, 0, 1});
  const std::pair<Bytes, const char*> rows[] = {
      {runs_past, "is an RLE8-compressed BMP whose runs go past the picture"},
      {ends_early, "is an RLE8-compressed BMP whose runs end before the picture does"},
      {index, "is an 8-bit BMP with a palette that uses colour 7 of a palette of 2"},
      {huge,
       "is a 32-bit BMP too large to decode: 900000000 pixels, more than the limit of "
       "268435456 (--max-pixels)"},
      {RleSquare(26754),
       "is an RLE8-compressed BMP too large to decode: 715776516 pixels, more than the limit of "
       "268435456 (--max-pixels)"},
      {cut, "is a 32-bit BMP that holds less pixel data than its header declares"},
      {index2, "is an 8-bit BMP with a palette that uses colour 2 of a palette of 2"},
      {jpeg_bmp, "holds a JPEG stream inside a BMP file, which is not supported"},
      {rle24, "is RLE24-compressed, which is not supported"},
      {CutPng(26754, 26754, 16),
       "is a PNG file too large to decode: 715776516 pixels, more than the limit of "
       "268435456 (--max-pixels)"},
      {CutPng(16000, 16000, 16),
       "is a PNG file that holds less pixel data than its header declares"},
  };
  bmptest::TempDir dir;
  bmptest::WriteFile(dir / "ref.bmp", bmptest::MakePaddedBmp(p.width, p.height, p.bgr));
  for (const auto& [file, words] : rows) {
    SCOPED_TRACE(words);
    bmptest::WriteFile(dir / "out.bmp", file);
    const Json c = CaseOf({dir / "out.bmp", dir / "ref.bmp"});
    EXPECT_EQ(c["verdict"], "error");
    EXPECT_EQ(c["output_status"], "cannot_decode");
    EXPECT_EQ(c["reason"], "output " + (dir / "out.bmp") + " " + words);
  }
  // --max-pixels moves the limit.
  bmptest::WriteFile(dir / "out.bmp", bmptest::Bmp32(p));
  EXPECT_EQ(CaseOf({"--max-pixels", "90", dir / "out.bmp", dir / "ref.bmp"})["reason"],
            "output " + (dir / "out.bmp") +
                " is a 32-bit BMP too large to decode: 91 pixels, more than the limit of 90 "
                "(--max-pixels)");
  EXPECT_EQ(CaseOf({"--max-pixels", "91", dir / "out.bmp", dir / "ref.bmp"})["verdict"], "pass");
  // A JPEG named .bmp is named for what it is.
  const std::string jpeg = "\xFF\xD8\xFF\xE0";
  Bytes jpeg_file(jpeg.begin(), jpeg.end());
  jpeg_file.resize(64, 0);
  bmptest::WriteFile(dir / "out.bmp", jpeg_file);
  EXPECT_EQ(CaseOf({dir / "out.bmp", dir / "ref.bmp"})["reason"],
            "output " + (dir / "out.bmp") + " is a JPEG file, not a BMP file");
}

// A student who hands in files that declare gigabytes: each refused for
// what it declares, the class still graded, within a 1 GiB container.
TEST(Formats, FilesThatDeclareGigabytesCostWhatTheyHold) {
  bmptest::TempDir d;
  for (const char* name : bmptest::kCaseNames) {
    for (const char* student : {"ans", "class/alice", "class/bob"}) {
      bmptest::WriteFile(d / (std::string(student) + "/" + name + ".bmp"), bmptest::Ramp(4, 3));
    }
    if (std::string(name) != "Sobel5") {
      bmptest::WriteFile(d / ("class/mallory/" + std::string(name) + ".bmp"), RleSquare(26754));
    }
  }
  bmptest::WriteFile(d / "class/mallory/Sobel5.png", CutPng(26754, 26754, 16));  // 57 bytes
  const bmptest::RunResult r = bmptest::Run(
      MAE_CHECK_EXE, {"--json", "--class", d / "class", "--ans", d / "ans", "--csv", d / "g.csv"},
      kSanitized ? 0 : std::uint64_t{1} << 30);
  ASSERT_EQ(r.exit_status, 1) << r.err;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["students"][0]["score"], 10);
  EXPECT_EQ(j["students"][1]["score"], 10);
  const Json& mallory = j["students"][2];
  ASSERT_EQ(mallory["cases"].size(), 10u);
  for (const Json& c : mallory["cases"]) {
    const std::string format = c["name"] == "Sobel5" ? "a PNG file" : "an RLE8-compressed BMP";
    EXPECT_EQ(c["reason"], "output " + c["output"].get<std::string>() + " is " + format +
                               " too large to decode: 715776516 pixels, more than the limit of "
                               "268435456 (--max-pixels)");
  }
  EXPECT_TRUE(std::filesystem::exists(d / "g.csv"));
  // Just under the limit: decoded, in less than 1 GiB.
  bmptest::WriteFile(d / "big.bmp", RleSquare(16000));
  const bmptest::RunResult big = bmptest::Run(MAE_CHECK_EXE, {d / "big.bmp", d / "ans/Blur1.bmp"});
  EXPECT_NE(big.out.find("sizes differ: output 16000x16000, reference 4x3"), std::string::npos)
      << big.out;
  if (!kSanitized) {
    EXPECT_LT(big.max_rss_kib, 1L << 20);
  }
}

}  // namespace
