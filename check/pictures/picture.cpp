#include "picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "bmp_header.h"

namespace mae::check {

namespace {

std::size_t RowStart(const Picture& picture, std::uint64_t bmp_row) {
  // BMP rows run from the bottom up; the picture's from the top down.
  return static_cast<std::size_t>(picture.height - 1 - bmp_row) * picture.width *
         kComparedPixelBytes;
}

}  // namespace

unsigned char FadedGrey(unsigned char blue, unsigned char green, unsigned char red) {
  // Rec. 601 brightness, then halfway to white: 128 (black) to 255 (white).
  const unsigned luma =
      (kLumaWeights[0] * red + kLumaWeights[1] * green + kLumaWeights[2] * blue + 500u) / 1000u;
  return static_cast<unsigned char>(kFadedBase + luma / 2u);
}

int DiffLevel(unsigned difference) {
  const unsigned d = std::min(std::max(difference, 1u), 255u);
  return static_cast<int>(std::lround(100.0 * std::log(d) / std::log(255.0)));
}

namespace {

// The scale's colours at levels 0, 25, 50, 75 and 100, blended between.
constexpr unsigned char kScalePoints[5][3] = {
    {255, 237, 160}, {253, 141, 60}, {227, 26, 28}, {174, 1, 126}, {73, 0, 106}};

const std::array<std::array<unsigned char, 3>, kDiffLevels> kScale = [] {
  std::array<std::array<unsigned char, 3>, kDiffLevels> scale{};
  for (int level = 0; level < kDiffLevels; ++level) {
    const double t = level / 25.0;
    const int i = std::min(static_cast<int>(t), 3);
    const double u = t - i;
    for (int k = 0; k < 3; ++k) {
      scale[static_cast<std::size_t>(level)][static_cast<std::size_t>(k)] =
          static_cast<unsigned char>(
              std::lround(kScalePoints[i][k] + (kScalePoints[i + 1][k] - kScalePoints[i][k]) * u));
    }
  }
  return scale;
}();

// Each difference's colour, looked up while painting.
const std::array<std::array<unsigned char, 3>, 256> kDiffColours = [] {
  std::array<std::array<unsigned char, 3>, 256> colours{};
  for (unsigned d = 0; d < colours.size(); ++d) {
    colours[d] = kScale[static_cast<std::size_t>(DiffLevel(d))];
  }
  return colours;
}();

}  // namespace

const unsigned char* DiffColour(int level) {
  return kScale[static_cast<std::size_t>(std::clamp(level, 0, kDiffLevels - 1))].data();
}

namespace {

// The scale's colours by value: open addressing on a table four times
// their number, so that finding a pixel's level is a step or two.
struct LevelTable {
  static constexpr std::size_t kSize = 512;
  std::array<std::uint32_t, kSize> keys{};  // RGB + 1, 0 for an empty slot
  std::array<unsigned char, kSize> levels{};

  static std::size_t Slot(std::uint32_t key) { return (key * 2654435761u) >> 23; }
};

const LevelTable kLevels = [] {
  LevelTable table;
  for (int level = 0; level < kDiffLevels; ++level) {
    const unsigned char* c = kScale[static_cast<std::size_t>(level)].data();
    const std::uint32_t key = (std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2]) + 1;
    std::size_t slot = LevelTable::Slot(key);
    while (table.keys[slot] != 0) {
      slot = (slot + 1) % LevelTable::kSize;
    }
    table.keys[slot] = key;
    table.levels[slot] = static_cast<unsigned char>(level);
  }
  return table;
}();

}  // namespace

int LevelOfColour(const unsigned char* rgb) {
  const std::uint32_t key = (std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2]) + 1;
  for (std::size_t slot = LevelTable::Slot(key); kLevels.keys[slot] != 0;
       slot = (slot + 1) % LevelTable::kSize) {
    if (kLevels.keys[slot] == key) {
      return kLevels.levels[slot];
    }
  }
  return -1;
}

unsigned LevelTop(int level) {
  unsigned top = 0;
  for (unsigned d = 1; d <= 255; ++d) {
    if (DiffLevel(d) == level) {
      top = d;
    }
  }
  return top;
}

namespace {

unsigned Distance(unsigned char a, unsigned char b) {
  return a > b ? unsigned{a} - b : unsigned{b} - a;
}

}  // namespace

DiffPainter::DiffPainter(std::uint32_t width, std::uint32_t height, std::uint32_t border)
    : border_(border) {
  picture_.width = width;
  picture_.height = height;
  picture_.rgb.resize(std::size_t{width} * height * kComparedPixelBytes);
  marks_.rows.assign(height, 0);
  marks_.columns.assign(width, 0);
  marks_.cells_across = (width + DiffMarks::kMarkCell - 1) / DiffMarks::kMarkCell;
  marks_.cells_down = (height + DiffMarks::kMarkCell - 1) / DiffMarks::kMarkCell;
  marks_.cells.assign(std::size_t{marks_.cells_across} * marks_.cells_down, 0);
  if (border != 0) {
    for (std::size_t i = 0; i < picture_.rgb.size(); i += kComparedPixelBytes) {
      std::copy_n(kBorderRgb, kComparedPixelBytes,
                  picture_.rgb.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

void DiffPainter::Paint(std::uint64_t row, std::uint64_t start, const unsigned char* output,
                        const unsigned char* reference, std::size_t n) {
  row += border_;
  start += std::uint64_t{border_} * kComparedPixelBytes;
  if (row >= picture_.height || start + n > std::uint64_t{picture_.width} * kComparedPixelBytes) {
    return;  // outside the area this painter was made for
  }
  unsigned char* out = picture_.rgb.data() + RowStart(picture_, row) + start;
  const auto y = static_cast<std::uint32_t>(picture_.height - 1 - row);
  auto x = static_cast<std::uint32_t>(start / kComparedPixelBytes);
  unsigned char* columns = marks_.columns.data();
  unsigned char* cells = &marks_.cells[std::size_t{y / DiffMarks::kMarkCell} * marks_.cells_across];
  // Every pixel is painted the same way, without branches on what it holds
  // (a row of a blurred picture mixes equal and differing pixels at random);
  // the marks are noted per pixel, the largest difference per piece.
  unsigned any = 0;
  unsigned largest = 0;
  std::uint32_t largest_x = 0;
  for (std::size_t i = 0; i + kComparedPixelBytes <= n; i += kComparedPixelBytes, ++x) {
    const unsigned difference =
        std::max({Distance(output[i], reference[i]), Distance(output[i + 1], reference[i + 1]),
                  Distance(output[i + 2], reference[i + 2])});
    const unsigned char grey = FadedGrey(reference[i], reference[i + 1], reference[i + 2]);
    const unsigned differs = difference != 0 ? 1 : 0;
    const unsigned char* colour = kDiffColours[difference].data();
    out[i] = differs != 0 ? colour[0] : grey;
    out[i + 1] = differs != 0 ? colour[1] : grey;
    out[i + 2] = differs != 0 ? colour[2] : grey;
    columns[x] |= static_cast<unsigned char>(differs);
    cells[x / DiffMarks::kMarkCell] |= static_cast<unsigned char>(differs);
    any |= differs;
    if (difference > largest) {
      largest = difference;
      largest_x = x;
    }
  }
  if (any != 0) {
    marks_.rows[y] = 1;
    NoteLargest(largest_x, y, largest);
  }
}

Picture ShrinkKeepingDifferences(const Picture& picture, std::uint32_t factor) {
  Picture small;
  if (factor <= 1 || picture.empty()) {
    return picture;
  }
  small.width = (picture.width + factor - 1) / factor;
  small.height = (picture.height + factor - 1) / factor;
  small.rgb.resize(std::size_t{small.width} * small.height * kComparedPixelBytes);
  for (std::uint32_t by = 0; by < small.height; ++by) {
    for (std::uint32_t bx = 0; bx < small.width; ++bx) {
      const unsigned char* deepest = nullptr;
      int deepest_level = -1;
      std::uint64_t sum[kComparedPixelBytes] = {};
      std::uint64_t count = 0;
      for (std::uint32_t y = by * factor; y < std::min(picture.height, (by + 1) * factor); ++y) {
        for (std::uint32_t x = bx * factor; x < std::min(picture.width, (bx + 1) * factor); ++x) {
          const unsigned char* p =
              &picture.rgb[(std::size_t{y} * picture.width + x) * kComparedPixelBytes];
          const int level = LevelOfColour(p);
          if (level > deepest_level) {
            deepest = p;
            deepest_level = level;
          }
          for (std::size_t k = 0; k < kComparedPixelBytes; ++k) {
            sum[k] += p[k];
          }
          ++count;
        }
      }
      unsigned char* out = &small.rgb[(std::size_t{by} * small.width + bx) * kComparedPixelBytes];
      for (std::size_t k = 0; k < kComparedPixelBytes; ++k) {
        out[k] = deepest != nullptr ? deepest[k] : static_cast<unsigned char>(sum[k] / count);
      }
    }
  }
  return small;
}

void DiffPainter::NoteLargest(std::uint32_t x, std::uint32_t y, unsigned difference) {
  // Rows are painted bottom first: a later equal difference higher up is
  // the first in reading order.
  if (difference > marks_.largest ||
      (difference == marks_.largest &&
       (y < marks_.largest_y || (y == marks_.largest_y && x < marks_.largest_x)))) {
    marks_.largest = difference;
    marks_.largest_x = x;
    marks_.largest_y = y;
  }
}

}  // namespace mae::check
