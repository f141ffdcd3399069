// The usual mistakes of a blur or Sobel program, each made here from one
// real picture (ImageMagick's rose, scaled to an odd width), must each be
// named by exactly their code; pictures with other differences by none.
#include "diagnosis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "load_bmp.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;
using namespace mae::check;

// What the tests find and say, as a run looks at a failing case.
std::vector<Diagnosis> Diagnose(const ImageView& output, const ImageView& reference, double mae,
                                unsigned largest) {
  Findings findings;
  FindMistakes(output, reference, mae, largest, &findings);
  return Describe(findings);
}

struct Image {
  std::vector<unsigned char> pixels;  // packed rows, bottom first
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  ImageView view() const { return {pixels.data(), width, height}; }
  unsigned char* at(std::uint32_t x, std::uint32_t y) {  // top row first
    return &pixels[((height - 1 - y) * std::size_t{width} + x) * 3];
  }
};

// The reference with a red of 255 at every fifth pixel: where a filter's
// sum passes 255 and the right program holds it there.
Image Saturated(Image ref) {
  for (std::uint32_t y = 0; y < ref.height; ++y) {
    for (std::uint32_t x = 0; x < ref.width; ++x) {
      if ((x + y) % 5 == 0) {
        ref.at(x, y)[2] = 255;
      }
    }
  }
  return ref;
}

// The reference in grey, as a grey Sobel program writes it.
Image Grey(Image ref) {
  for (std::size_t i = 0; i < ref.pixels.size(); i += 3) {
    unsigned char* p = &ref.pixels[i];
    p[0] = p[1] = p[2] = static_cast<unsigned char>((p[0] + p[1] + p[2]) / 3);
  }
  return ref;
}

// A Sobel program's magnitudes, twice the picture's bytes (0-510), held
// at 255 by the right program (`clamped`) or stored modulo 256.
Image Magnitudes(Image ref, bool clamped) {
  for (unsigned char& byte : ref.pixels) {
    const unsigned m = 2u * byte;
    byte = static_cast<unsigned char>(clamped ? std::min(m, 255u) : m % 256);
  }
  return ref;
}

// The picture with its outermost pixels at `value`: a Sobel's edge, which
// saturates on the reference and drops where zeros pad the picture.
Image Edged(Image ref, unsigned char value) {
  for (std::uint32_t y = 0; y < ref.height; ++y) {
    for (std::uint32_t x = 0; x < ref.width; ++x) {
      if (std::min({x, y, ref.width - 1 - x, ref.height - 1 - y}) == 0) {
        std::fill_n(ref.at(x, y), 3, value);
      }
    }
  }
  return ref;
}

// Each mistake as the test makes it from the reference.
Image Made(const Image& ref, const std::string& mistake, std::mt19937& rng) {
  Image out = ref;
  Image r = ref;
  for (std::uint32_t y = 0; y < ref.height; ++y) {
    for (std::uint32_t x = 0; x < ref.width; ++x) {
      unsigned char* o = out.at(x, y);
      const unsigned char* p = r.at(x, y);
      if (mistake == "channels_swapped") {
        std::swap(o[0], o[2]);
      } else if (mistake == "swapped, black top row") {
        std::swap(o[0], o[2]);
        if (y == 0) {
          o[0] = o[1] = o[2] = 0;  // the row a sample of every eighth row starts with
        }
      } else if (mistake == "rotated_180") {
        std::copy_n(r.at(ref.width - 1 - x, ref.height - 1 - y), 3, o);
      } else if (mistake == "swapped and upside down") {
        const unsigned char* q = r.at(x, ref.height - 1 - y);
        o[0] = q[2], o[1] = q[1], o[2] = q[0];
      } else if (mistake == "no_clamping" && (x + y) % 5 == 0) {
        o[2] = 30;  // where the reference holds 255 (Saturated below): wrapped round
      } else if (mistake == "flipped_vertically") {
        std::copy_n(r.at(x, ref.height - 1 - y), 3, o);
      } else if (mistake == "flipped_horizontally") {
        std::copy_n(r.at(ref.width - 1 - x, y), 3, o);
      } else if (mistake == "shifted" && x > 0) {
        std::copy_n(r.at(x - 1, y), 3, o);
      } else if ((mistake == "border_only" &&
                  std::min({x, y, ref.width - 1 - x, ref.height - 1 - y}) < 2) ||
                 (mistake == "border 8 deep" &&
                  std::min({x, y, ref.width - 1 - x, ref.height - 1 - y}) == 7)) {
        o[1] = static_cast<unsigned char>(p[1] ^ 0x40);
      } else if (mistake == "rounding" && rng() % 7 == 0) {
        const std::size_t k = rng() % 3;  // one byte, up or down by 1
        o[k] = static_cast<unsigned char>(p[k] == 0                  ? 1
                                          : p[k] == 255 || rng() % 2 ? p[k] - 1
                                                                     : p[k] + 1);
      } else if (mistake == "offset") {
        for (int k = 0; k < 3; ++k)
          o[k] = static_cast<unsigned char>(std::min(p[k] + 20, 255));
      } else if (mistake == "grey_output" || mistake == "grey_reference") {
        o[0] = o[1] = o[2] =
            static_cast<unsigned char>((p[0] * 114 + p[1] * 587 + p[2] * 299) / 1000);
      } else if (mistake == "scattered" && rng() % 20 == 0) {
        o[rng() % 3] = static_cast<unsigned char>(rng());
      } else if (mistake == "grey, noise of -1 and +1") {
        for (int k = 0; k < 3; ++k) {  // 3% of the bytes, each up or down by 1
          if (rng() % 100 < 3) {
            o[k] = static_cast<unsigned char>(p[k] == 0                  ? 1
                                              : p[k] == 255 || rng() % 2 ? p[k] - 1
                                                                         : p[k] + 1);
          }
        }
      } else if (mistake.rfind("grey, noise", 0) == 0) {
        const unsigned most = mistake == "grey, noise of 1" ? 1 : 6;
        for (int k = 0; k < 3; ++k) {  // 3% of the bytes up or down
          if (rng() % 100 < 3) {
            const int d = static_cast<int>(rng() % most) + 1;
            o[k] = static_cast<unsigned char>(p[k] < 128 ? p[k] + d : p[k] - d);
          }
        }
      }
    }
  }
  if (mistake == "transposed" || mistake == "transposed, as stored" ||
      mistake == "transposed, square") {
    const bool square = mistake == "transposed, square";
    const std::uint32_t side = std::min(ref.width, ref.height);
    Image in = r;
    if (square) {  // the top-left square of the reference
      in.width = in.height = side;
      in.pixels.resize(std::size_t{side} * side * 3);
      for (std::uint32_t y = 0; y < side; ++y) {
        for (std::uint32_t x = 0; x < side; ++x) {
          std::copy_n(r.at(x, y), 3, in.at(x, y));
        }
      }
    }
    out.width = in.height;
    out.height = in.width;
    out.pixels.assign(in.pixels.size(), 0);
    for (std::uint32_t y = 0; y < out.height; ++y) {
      for (std::uint32_t x = 0; x < out.width; ++x) {
        // As stored: output file row y_b, column x from reference file row
        // x, column y_b.
        const std::uint32_t yb = out.height - 1 - y;
        const unsigned char* q =
            mistake == "transposed, as stored" ? in.at(yb, in.height - 1 - x) : in.at(y, x);
        std::copy_n(q, 3, out.at(x, y));
      }
    }
  }
  if (mistake.rfind("border_left_out", 0) == 0) {  // a 2- or 8-pixel border left out
    const std::uint32_t n = mistake == "border_left_out" ? 2 : 8;
    out.width = ref.width - 2 * n;
    out.height = ref.height - 2 * n;
    out.pixels.resize(std::size_t{out.width} * out.height * 3);
    for (std::uint32_t y = 0; y < out.height; ++y) {
      for (std::uint32_t x = 0; x < out.width; ++x) {
        std::copy_n(r.at(x + n, y + n), 3, out.at(x, y));
      }
    }
  }
  return out;
}

double Mae(const Image& a, const Image& b, unsigned* largest) {
  const std::uint32_t w = std::min(a.width, b.width), h = std::min(a.height, b.height);
  double sum = 0;
  *largest = 0;
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      for (std::size_t k = 0; k < 3; ++k) {
        // The bottom rows are the ones both images hold.
        const int d = std::abs(a.pixels[(std::size_t{y} * a.width + x) * 3 + k] -
                               b.pixels[(std::size_t{y} * b.width + x) * 3 + k]);
        sum += d;
        *largest = std::max(*largest, static_cast<unsigned>(d));
      }
    }
  }
  return sum / (double(w) * h * 3);
}

TEST(Diagnosis, NamesEachMistakeAndNothingElse) {
  bmptest::TempDir dir;
  const std::string rose = dir / "rose.bmp";
  const bmptest::RunResult made = bmptest::Run(
      "/usr/bin/env",
      {"convert", "rose:", "-resize", "141x97!", "-type", "truecolor", "BMP3:" + rose});
  if (made.exit_status != 0) {
    GTEST_SKIP() << "ImageMagick's convert is not there to make the picture";
  }
  const LoadedBmp loaded = LoadBmp(rose.c_str());
  ASSERT_EQ(loaded.file.status, BmpStatus::kOk);
  Image ref;
  ref.width = loaded.file.header.width;
  ref.height = loaded.file.header.height;
  ref.pixels.assign(loaded.pixels.get(), loaded.pixels.get() + loaded.file.header.block_size);
  const bmptest::RunResult blurred = bmptest::Run(
      "/usr/bin/env",
      {"convert", rose, "-blur", "0x1", "-type", "truecolor", "BMP3:" + (dir / "b.bmp")});
  ASSERT_EQ(blurred.exit_status, 0);
  const LoadedBmp soft = LoadBmp((dir / "b.bmp").c_str());
  Image blur = ref;
  blur.pixels.assign(soft.pixels.get(), soft.pixels.get() + soft.file.header.block_size);

  std::mt19937 rng(3);
  const char* const mistakes[] = {"channels_swapped",
                                  "flipped_vertically",
                                  "flipped_horizontally",
                                  "shifted",
                                  "transposed",
                                  "border_only",
                                  "rounding",
                                  "offset",
                                  "grey_output",
                                  "grey_reference",
                                  "identical",
                                  "scattered",
                                  "blurred",
                                  "swapped, black top row",
                                  "rotated_180",
                                  "swapped and upside down",
                                  "no_clamping",
                                  "transposed, as stored",
                                  "transposed, square",
                                  "border_left_out",
                                  "grey, noise of 1",
                                  "grey, noise of 1 to 6",
                                  "grey, noise of -1 and +1",
                                  "wrapped magnitudes",
                                  "zero padding",
                                  "border 8 deep",
                                  "border_left_out, 8 pixels"};
  for (const std::string mistake : mistakes) {
    SCOPED_TRACE(mistake);
    Image in = mistake == "no_clamping"               ? Saturated(ref)
               : mistake.rfind("grey, noise", 0) == 0 ? Grey(ref)
                                                      : ref;
    if (mistake == "transposed, square") {  // compared with the square it came from
      const std::uint32_t side = std::min(ref.width, ref.height);
      Image square = ref;
      square.width = square.height = side;
      square.pixels.resize(std::size_t{side} * side * 3);
      for (std::uint32_t y = 0; y < side; ++y) {
        for (std::uint32_t x = 0; x < side; ++x) {
          std::copy_n(ref.at(x, y), 3, square.at(x, y));
        }
      }
      in = square;
    }
    if (mistake == "wrapped magnitudes") {
      in = Magnitudes(ref, true);
    } else if (mistake == "zero padding") {
      in = Edged(ref, 255);
    }
    Image out = mistake == "blurred"              ? blur
                : mistake == "wrapped magnitudes" ? Magnitudes(ref, false)
                : mistake == "zero padding"       ? Edged(ref, 30)
                                                  : Made(in, mistake, rng);
    if (mistake == "grey_reference") {
      std::swap(out, in);
    }
    unsigned largest = 0;
    const double mae = Mae(out, in, &largest);
    std::vector<std::string> codes;
    for (const Diagnosis& d : Diagnose(out.view(), in.view(), mae, largest)) {
      codes.push_back(d.code);
    }
    // The output grey with noise against a grey reference: never said to
    // be in colour (noise of 1 is all rounding).
    const bool none = mistake == "identical" || mistake == "scattered" || mistake == "blurred" ||
                      mistake == "grey, noise of 1 to 6";
    std::vector<std::string> expected = {mistake};
    if (mistake == "swapped, black top row") {
      expected = {"channels_swapped"};
    } else if (mistake == "swapped and upside down") {
      expected = {"channels_swapped", "flipped_vertically"};  // both mistakes named
    } else if (mistake == "grey, noise of 1" || mistake == "grey, noise of -1 and +1") {
      expected = {"rounding"};  // never grey_reference: rounding explains it
    } else if (mistake == "wrapped magnitudes") {
      expected = {"no_clamping"};
    } else if (mistake == "zero padding" || mistake == "border 8 deep") {
      expected = {"border_only"};  // not no_clamping: the edge's doing
    } else if (mistake == "border_left_out, 8 pixels") {
      expected = {"border_left_out"};
    } else if (mistake.rfind("transposed", 0) == 0) {
      expected = {"transposed"};
    }
    EXPECT_EQ(codes, none ? std::vector<std::string>{} : expected);
  }
  EXPECT_EQ(Diagnose(Made(ref, "shifted", rng).view(), ref.view(), 1.0, 200)[0].text,
            "shifted right by 1 pixel and down by 0");
  EXPECT_EQ(Diagnose(Made(ref, "border 8 deep", rng).view(), ref.view(), 1.0, 64)[0].text,
            "differs only within 8 pixels of the edge");
}

}  // namespace
