// The comparison of two 24-bit BMP files, reported without printing: each
// file's status, the sizes, and the figures asked for.
#ifndef MAE_COMPARE_H
#define MAE_COMPARE_H

#include <cstddef>
#include <cstdint>
#include <functional>

#include "bmp_header.h"
#include "status.h"

// What became of one file.
struct FileReport {
  BmpStatus status = BmpStatus::kOk;
  int open_error = 0;        // errno of a failed open (kCannotOpen)
  bool fields_read = false;  // `header` holds the file's fields
  BmpHeader header;
};

// Called with each compared piece of a row, in file order: `n` bytes (whole
// pixels) of each image, from byte `start` of compared row `row`. Row 0 is
// the first row in the file: the bottom of an ordinary BMP picture.
using RowVisitor =
    std::function<void(std::uint64_t row, std::uint64_t start, const unsigned char* a,
                       const unsigned char* b, std::size_t n)>;

struct CompareOptions {
  bool figures = false;  // also find the largest difference and the differing pixels
  // Optional: told the compared area (width, height in pixels) once both
  // files are accepted and before any row is read; not called for an empty
  // area.
  std::function<void(std::uint64_t width, std::uint64_t height)> on_area;
  RowVisitor visit;  // optional: sees every compared piece
};

struct Comparison {
  FileReport a;
  FileReport b;
  bool compared = false;      // both files were usable and the area was summed
  bool sizes_differ = false;  // set once both files are usable
  // A read failed while the pixels were compared (after the size check);
  // that file's status says which.
  bool failed_while_comparing = false;
  std::uint64_t width = 0;   // the compared area: min(widths) x min(heights)
  std::uint64_t height = 0;  // (0 x 0 when either is empty)
  std::uint64_t sum = 0;     // sum of absolute byte differences
  // The mean over width x height x 3 bytes: -1 when not compared, a NaN
  // with its sign bit set when the area is empty.
  double mae = -1.0;
  // With CompareOptions::figures:
  unsigned max_difference = 0;         // the largest byte difference, 0-255
  std::uint64_t differing_pixels = 0;  // pixels with at least one differing byte

  std::uint64_t compared_pixels() const { return width * height; }
};

// Opens and checks both files (always both, the first first), refuses a
// file that is not 24 bits per pixel, then reads the rows of the area both
// images cover, each file by its own layout; memory allocated does not grow
// with the images. The first min(height)
// rows in the files and, in each, the first min(width) pixels are compared:
// for ordinary bottom-up files, the lower-left corner both pictures share.
// Without a visitor both files are mapped and read in place, under
// RunCatchingSigbus (sigbus_guard.h): a file that shrinks meanwhile is a
// kReadError, not a crash. With a visitor, or where a file cannot be
// mapped, they are read through two buffers.
Comparison CompareFiles(const char* path_a, const char* path_b, const CompareOptions& options = {});

// The same comparison of two 24-bit pixel blocks already in memory, in
// packed rows, each indexed with its own width. Returns the mean, a NaN
// with its sign bit set when the area is empty.
double MeanAbsoluteError(const unsigned char* a, std::int32_t width_a, std::int32_t height_a,
                         const unsigned char* b, std::int32_t width_b, std::int32_t height_b);

#endif  // MAE_COMPARE_H
