// The comparison of two 24-bit BMP files, reported without printing: each
// file's outcome, the state the comparison reached, and the figures asked
// for.
#ifndef MAE_COMPARE_H
#define MAE_COMPARE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "bmp_file.h"
#include "ignored_area.h"

namespace mae {

// Called with each compared piece of a row, in file order: `n` bytes (whole
// pixels) of each image, from byte `start` of compared row `row`. Row 0 is
// the first row in the file: the bottom of an ordinary BMP picture.
using RowVisitor =
    std::function<void(std::uint64_t row, std::uint64_t start, const unsigned char* a,
                       const unsigned char* b, std::size_t n)>;

struct CompareOptions {
  bool figures = false;  // also find the largest difference and the differing pixels
  bool squares = false;  // also sum the squared byte differences (RMSE, PSNR)
  // Leave out a frame this many pixels wide, inside the area both images
  // cover, from every figure: only the area inside it is compared.
  std::uint32_t border = 0;
  // Optional: told the area both images cover (width, height in pixels,
  // the border included) once both files are accepted and before any row is
  // read; not called when nothing is left to compare.
  std::function<void(std::uint64_t width, std::uint64_t height)> on_area;
  // Optional: sees every compared piece; its rows and bytes count from the
  // compared area's first row and byte (inside the border). Pieces stop
  // short of ignored pixels: it never sees them.
  RowVisitor visit;
  // Left out of every figure, the visitor's pieces included; they may
  // overlap.
  std::vector<AreaRect> ignore;
  // With figures: also count the pixels whose largest byte difference is
  // above this.
  std::optional<unsigned> tolerance;
};

// How far a comparison got.
enum class CompareState {
  kRefused,               // a file was refused before any pixel was read
  kFailedWhileComparing,  // both accepted, then a read failed during the pass
  kEmptyArea,             // both accepted, and nothing is left to compare
  kCompared,              // the shared area was summed
};

struct Comparison {
  FileOutcome a;
  FileOutcome b;
  CompareState state = CompareState::kRefused;
  std::uint64_t width = 0;         // the compared area: min(widths) x min(heights), less the
  std::uint64_t height = 0;        // border on each side (0 x 0 when that leaves nothing)
  bool emptied_by_border = false;  // the images share pixels, all within the border
  std::uint64_t sum = 0;           // sum of absolute byte differences
  // With CompareOptions::figures:
  unsigned max_difference = 0;         // the largest byte difference, 0-255
  std::uint64_t differing_pixels = 0;  // pixels with at least one differing byte
  // With CompareOptions::figures and a tolerance: the pixels whose largest
  // byte difference is above it.
  std::uint64_t beyond_tolerance = 0;
  // The pixels of the compared area that CompareOptions::ignore leaves out,
  // each counted once.
  std::uint64_t ignored_pixels = 0;
  // With CompareOptions::squares: the sum of squared byte differences.
  std::uint64_t sum_sq = 0;

  // Both files were accepted and their widths or heights differ.
  bool sizes_differ() const;
  // The figures above hold (kCompared or kEmptyArea).
  bool has_figures() const {
    return state == CompareState::kCompared || state == CompareState::kEmptyArea;
  }
  // The mean over the compared pixels' bytes on kCompared; a NaN with its
  // sign bit set on kEmptyArea, or when every pixel is ignored; -1
  // otherwise.
  double mae() const;
  // The pixels the figures are over: the area less the ignored pixels.
  std::uint64_t compared_pixels() const { return width * height - ignored_pixels; }
  // On kCompared with squares, on the 0-255 byte scale: the root of the
  // mean squared byte difference, and 10 log10(255^2 / MSE) in dB (an
  // infinity for identical pictures); NaN otherwise, and when every pixel
  // is ignored.
  double rmse() const;
  double psnr() const;
};

// Opens and checks both files (always both, the first first), refuses a
// file that is not 24 bits per pixel, then reads the rows of the area both
// images cover, each file by its own layout; memory allocated does not grow
// with the images. The first min(height) rows in the files and, in each,
// the first min(width) pixels are compared: for ordinary bottom-up files,
// the lower-left corner both pictures share. Without a visitor both files
// are mapped and read in place, under RunCatchingSigbus (sigbus_guard.h):
// a file that shrinks meanwhile is a kReadError, not a crash. With a
// visitor, or where a file cannot be mapped, they are read through buffers.
Comparison CompareFiles(const char* path_a, const char* path_b, const CompareOptions& options = {});

// The same over two files already opened (BmpFile::Open or Adopt), each
// with the outcome of its opening; either may be mapped by it.
Comparison CompareOpenFiles(BmpFile& file_a, BmpFile& file_b, const CompareOptions& options = {});

}  // namespace mae

#endif  // MAE_COMPARE_H
