// Writes the samples that ship in examples/, with integer arithmetic only
// (so every compiler and machine gives the same bytes):
//   landscape.bmp        a small drawn landscape (landscape.cpp)
//   landscape_blur.bmp   the same softened with a 3x3 box blur
//   cases/               the ten test cases of an image-processing exercise:
//                        five blurred and five Sobel edge pictures of the
//                        landscape, with their references under cases/ANS/,
//                        and the faults a grader meets: one output off by one
//                        along its border, one with two channels swapped, one
//                        a pixel narrower, one missing.
//   filters/             an exercise of point and neighbourhood operations
//                        on the landscape (filter_examples.cpp): its input
//                        under inputs/, grey levels (a PNG reference), a
//                        3x3 median and histogram equalisation under ANS/,
//                        and a student's outputs under student/: one exact,
//                        one with its border left black, one off by one.
//
//   make_examples OUTPUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "filter_examples.h"
#include "landscape.h"
#include "testkit/bmp_bytes.h"

namespace {

constexpr int kWidth = examples::kLandscapeWidth;
constexpr int kHeight = examples::kLandscapeHeight;

// Byte index of pixel (x, y) in packed rows.
std::size_t At(int x, int y) {
  return static_cast<std::size_t>((y * kWidth + x) * 3);
}

int Clamp(int v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

int ClampX(int x) {
  return x < 0 ? 0 : (x >= kWidth ? kWidth - 1 : x);
}
int ClampY(int y) {
  return y < 0 ? 0 : (y >= kHeight ? kHeight - 1 : y);
}

// A separable blur with integer weights (edges clamped, rounded to nearest):
// {1, 1, 1} is a 3x3 box, {1, 2, 1} a 3x3 Gaussian.
bmptest::Bytes Blur(const bmptest::Bytes& in, const std::vector<int>& weights) {
  const int radius = static_cast<int>(weights.size() / 2);
  int total = 0;
  for (const int w : weights) {
    total += w;
  }
  total *= total;
  bmptest::Bytes out(in.size());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (std::size_t k = 0; k < 3; ++k) {
        int sum = 0;
        for (int dy = -radius; dy <= radius; ++dy) {
          for (int dx = -radius; dx <= radius; ++dx) {
            const int w = weights[static_cast<std::size_t>(dy + radius)] *
                          weights[static_cast<std::size_t>(dx + radius)];
            sum += w * in[At(ClampX(x + dx), ClampY(y + dy)) + k];
          }
        }
        out[At(x, y) + k] = static_cast<unsigned char>((sum + total / 2) / total);
      }
    }
  }
  return out;
}

bmptest::Bytes Blur(const bmptest::Bytes& in) {
  return Blur(in, {1, 1, 1});
}

enum class Edges { kMagnitude, kHorizontal, kVertical, kThresholded };

// Sobel edges: of the brightness (grey pictures), or of each channel on
// its own when `per_channel`.
bmptest::Bytes Sobel(const bmptest::Bytes& in, Edges edges, bool per_channel) {
  auto value = [&](int x, int y, std::size_t k) {
    const std::size_t at = At(ClampX(x), ClampY(y));
    if (per_channel) {
      return int{in[at + k]};
    }
    return (114 * in[at] + 587 * in[at + 1] + 299 * in[at + 2] + 500) / 1000;
  };
  bmptest::Bytes out(in.size());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (std::size_t k = 0; k < 3; ++k) {
        const int gx = value(x + 1, y - 1, k) + 2 * value(x + 1, y, k) + value(x + 1, y + 1, k) -
                       value(x - 1, y - 1, k) - 2 * value(x - 1, y, k) - value(x - 1, y + 1, k);
        const int gy = value(x - 1, y + 1, k) + 2 * value(x, y + 1, k) + value(x + 1, y + 1, k) -
                       value(x - 1, y - 1, k) - 2 * value(x, y - 1, k) - value(x + 1, y - 1, k);
        const int ax = gx < 0 ? -gx : gx;
        const int ay = gy < 0 ? -gy : gy;
        int v = 0;
        switch (edges) {
          case Edges::kMagnitude:
            v = ax + ay;
            break;
          case Edges::kHorizontal:
            v = ax;
            break;
          case Edges::kVertical:
            v = ay;
            break;
          case Edges::kThresholded:
            v = ax + ay > 96 ? 255 : 0;
            break;
        }
        out[At(x, y) + k] = static_cast<unsigned char>(Clamp(v));
      }
    }
  }
  return out;
}

// The faults the sample cases carry.
bmptest::Bytes OffByOneAlongTheBorder(bmptest::Bytes pixels) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1) {
        for (std::size_t k = 0; k < 3; ++k) {
          unsigned char& b = pixels[At(x, y) + k];
          b = static_cast<unsigned char>(b == 255 ? 254 : b + 1);
        }
      }
    }
  }
  return pixels;
}

bmptest::Bytes RedAndBlueSwapped(bmptest::Bytes pixels) {
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    std::swap(pixels[i], pixels[i + 2]);
  }
  return pixels;
}

bmptest::Bytes LastColumnCut(const bmptest::Bytes& pixels) {
  bmptest::Bytes out;
  for (int y = 0; y < kHeight; ++y) {
    const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(At(0, y));
    out.insert(out.end(), row, row + (kWidth - 1) * 3);
  }
  return out;
}

void WriteCases(const std::string& folder, const bmptest::Bytes& picture) {
  std::filesystem::create_directories(folder + "/ANS");
  struct Sample {
    const char* name;
    bmptest::Bytes reference;
  };
  const Sample samples[] = {
      {"Blur1", Blur(picture, {1, 1, 1})},
      {"Blur2", Blur(picture, {1, 1, 1, 1, 1})},
      {"Blur3", Blur(picture, {1, 2, 1})},
      {"Blur4", Blur(picture, {1, 1, 1, 1, 1, 1, 1})},
      {"Blur5", Blur(picture, {1, 4, 6, 4, 1})},
      {"Sobel1", Sobel(picture, Edges::kMagnitude, false)},
      {"Sobel2", Sobel(picture, Edges::kHorizontal, false)},
      {"Sobel3", Sobel(picture, Edges::kVertical, false)},
      {"Sobel4", Sobel(picture, Edges::kMagnitude, true)},
      {"Sobel5", Sobel(picture, Edges::kThresholded, false)},
  };
  for (const Sample& s : samples) {
    const std::string name = s.name;
    bmptest::WriteFile(folder + "/ANS/" + name + ".bmp",
                       bmptest::MakeBmp(kWidth, kHeight, s.reference));
    const std::string output = folder + "/" + name + ".bmp";
    if (name == "Blur2") {
      bmptest::WriteFile(output,
                         bmptest::MakeBmp(kWidth, kHeight, OffByOneAlongTheBorder(s.reference)));
    } else if (name == "Blur4") {
      // 239 pixels: a row of 717 bytes, padded to 720 as standard files are.
      bmptest::WriteFile(output,
                         bmptest::MakePaddedBmp(kWidth - 1, kHeight, LastColumnCut(s.reference)));
    } else if (name == "Sobel4") {
      bmptest::WriteFile(output, bmptest::MakeBmp(kWidth, kHeight, RedAndBlueSwapped(s.reference)));
    } else if (name != "Sobel5") {  // Sobel5's output is missing
      bmptest::WriteFile(output, bmptest::MakeBmp(kWidth, kHeight, s.reference));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const bmptest::Bytes picture = examples::DrawLandscape();
  try {
    bmptest::WriteFile(folder + "/landscape.bmp", bmptest::MakeBmp(kWidth, kHeight, picture));
    bmptest::WriteFile(folder + "/landscape_blur.bmp",
                       bmptest::MakeBmp(kWidth, kHeight, Blur(picture)));
    WriteCases(folder + "/cases", picture);
    examples::WriteFilters(folder + "/filters", picture, kWidth, kHeight);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
