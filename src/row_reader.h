// Reading the rows of a BMP file, packed or padded, mapped or through a
// buffer: the one place that knows how rows are fetched, behind both
// BmpReader::ReadBMP and the comparison.
#ifndef MAE_ROW_READER_H
#define MAE_ROW_READER_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include "bmp_file.h"
#include "bmp_header.h"

namespace mae {

// A buffered file is read this many bytes at a time: large enough that
// system calls cost little, small enough that two buffers stay in cache
// while they are compared. A row longer than this is read in pieces of
// whole pixels.
constexpr std::size_t kRowChunkBytes = std::size_t{256} << 10;

// What is fetched at once: `rows` rows from `first_row` on, `bytes` bytes
// of each from byte `start` of the row. More than one row only as whole
// rows (start 0).
struct RowChunk {
  std::uint64_t first_row;
  std::uint64_t rows;
  std::uint64_t start;
  std::size_t bytes;
};

// Calls fn(chunk) over `row_count` rows of `row_bytes` bytes, in file
// order: as many whole rows as fit `limit` bytes at `stride` apart, or,
// for a row longer than that, the row in pieces of whole pixels. Stops
// early, returning false, when fn does.
template <typename Fn>
bool ForEachRowChunk(std::uint64_t row_bytes, std::uint64_t row_count, std::uint64_t stride,
                     std::size_t limit, Fn&& fn) {
  if (stride <= limit) {
    const std::uint64_t rows_per_chunk = stride == 0 ? row_count : limit / stride;
    for (std::uint64_t row = 0; row < row_count; row += rows_per_chunk) {
      const std::uint64_t rows = std::min(rows_per_chunk, row_count - row);
      if (!fn(RowChunk{row, rows, 0, static_cast<std::size_t>(row_bytes)})) {
        return false;
      }
    }
    return true;
  }
  const std::size_t piece = limit / kComparedPixelBytes * kComparedPixelBytes;
  for (std::uint64_t row = 0; row < row_count; ++row) {
    for (std::uint64_t done = 0; done < row_bytes; done += piece) {
      const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(piece, row_bytes - done));
      if (!fn(RowChunk{row, 1, done, bytes})) {
        return false;
      }
    }
  }
  return true;
}

// One image's rows as they are read: row r starts at byte base + r x stride
// of the file. Fetches a chunk from the mapping (no copy) when the file is
// mapped, else into a buffer of its own.
class RowReader {
 public:
  RowReader(const BmpFile& file, std::uint64_t base, std::uint64_t stride)
      : file_(file), base_(base), stride_(stride) {}

  // Reads through a buffer instead of the mapping; false when the buffer
  // cannot be allocated.
  bool UseBuffer();

  std::uint64_t stride() const { return stride_; }
  // The most bytes one chunk may span.
  std::size_t limit() const {
    return buffer_ ? kRowChunkBytes : std::numeric_limits<std::size_t>::max();
  }
  // The span of a chunk in the file: its last row may lack the padding
  // after it, so it ends with that row's bytes.
  std::uint64_t Span(const RowChunk& c) const { return stride_ * (c.rows - 1) + c.bytes; }

  // The chunk's first row (its later rows follow at stride()), or null when
  // a buffered read fails or the chunk would not fit the buffer. A mapped file that shrank raises
  // SIGBUS instead.
  const unsigned char* Fetch(const RowChunk& c);

 private:
  const BmpFile& file_;
  std::uint64_t base_;
  std::uint64_t stride_;
  std::unique_ptr<unsigned char[]> buffer_;
};

// Reads the whole pixel block of an accepted file into `out`, in packed
// rows whatever the file's layout: kOk, kReadError, or kOutOfMemory (the
// buffer a padded file is read through).
BmpStatus ReadPackedBlock(const BmpFile& file, unsigned char* out);

}  // namespace mae

#endif  // MAE_ROW_READER_H
