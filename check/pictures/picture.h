// Pictures as people see them: RGB, top row first: the difference picture
// painted from the comparison's rows, and pictures shrunk keeping their
// differences. PNG encoding is in png.h.
#ifndef MAE_CHECK_PICTURE_H
#define MAE_CHECK_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ssim.h"

namespace mae::check {

struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<unsigned char> rgb;  // width x height x 3 bytes, top row first

  bool empty() const { return width == 0 || height == 0; }
};

// The difference picture of a compared area, painted row by row from the
// comparison's pieces (BMP rows: row 0 is the picture's bottom). A pixel
// with no difference is grey, the reference's brightness faded towards
// white so that the picture stays recognisable; a pixel with any difference
// takes the colour of its largest byte difference on the difference scale
// (DiffColour), light yellow for 1 through orange and red to deep purple
// for 255, so that differences of 1, 32 and 142 look plainly apart.
//
// With a border, the picture covers the whole common area and the frame
// left out of the comparison is drawn in a neutral blue-grey.
//
// It also notes where the differences are, for marks that keep them
// visible when the picture is drawn small: the rows and columns with any
// difference, cells of kMarkCell x kMarkCell pixels with any difference,
// and the first pixel with the largest difference.
struct DiffMarks {
  static constexpr std::uint32_t kMarkCell = 16;
  std::vector<unsigned char> rows;     // per picture row, top first: 1 when any pixel differs
  std::vector<unsigned char> columns;  // per column
  std::uint32_t cells_across = 0;
  std::uint32_t cells_down = 0;
  std::vector<unsigned char> cells;  // cells_across x cells_down, top first
  unsigned largest = 0;              // the largest byte difference, 0 when none
  std::uint32_t largest_x = 0;       // where it is first, top-left (0, 0)
  std::uint32_t largest_y = 0;
};

class DiffPainter {
 public:
  DiffPainter(std::uint32_t width, std::uint32_t height, std::uint32_t border = 0);

  // `output` and `reference` hold `n` bytes (whole BGR pixels) of compared
  // row `row`, from byte `start` of the row, counted inside the border.
  void Paint(std::uint64_t row, std::uint64_t start, const unsigned char* output,
             const unsigned char* reference, std::size_t n);

  const Picture& picture() const { return picture_; }
  // The picture, moved out: the painter is done with it.
  Picture TakePicture() { return std::move(picture_); }
  const DiffMarks& marks() const { return marks_; }
  // Draws rectangles left out of the comparison hatched (hatch.h).
  void Hatch(const std::vector<PixelRect>& rects);

 private:
  void NoteLargest(std::uint32_t x, std::uint32_t y, unsigned difference);

  Picture picture_;
  std::uint32_t border_;
  DiffMarks marks_;
};

// The colour of the frame left out of the comparison.
constexpr unsigned char kBorderRgb[3] = {176, 190, 214};

// The picture shrunk by a whole `factor` on each side (rounded up), each
// block of pixels drawn as its most different pixel (the deepest red), so
// that a single differing pixel or row stays marked at any size; a block
// with no difference as its mean colour.
Picture ShrinkKeepingDifferences(const Picture& picture, std::uint32_t factor);

// The grey of an unchanged pixel: kFadedBase plus half the pixel's Rec. 601
// brightness, (kLumaWeights . (red, green, blue) + 500) / 1000.
inline constexpr unsigned kLumaWeights[3] = {299, 587, 114};  // red, green, blue
inline constexpr unsigned kFadedBase = 128;
unsigned char FadedGrey(unsigned char blue, unsigned char green, unsigned char red);

// The difference scale: kDiffLevels colours, a level for each difference
// by its logarithm (1 is level 0, 255 level 100; each of 1 to 7 has a level
// of its own), the colours running from light yellow through orange, red
// and magenta to deep purple. None is grey or the border's colour.
constexpr int kDiffLevels = 101;
int DiffLevel(unsigned difference);           // 1-255 (0 counts as 1)
const unsigned char* DiffColour(int level);   // RGB, for a level 0-100
int LevelOfColour(const unsigned char* rgb);  // the level of a scale colour, or -1
// The largest difference a level shows.
unsigned LevelTop(int level);

}  // namespace mae::check

#endif  // MAE_CHECK_PICTURE_H
