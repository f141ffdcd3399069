#include "compare.h"

#include <algorithm>

#include "area_mean.h"
#include "ignored_area.h"
#include "pixel_figures.h"
#include "row_reader.h"
#include "sigbus_guard.h"
#include "sum_abs_diff.h"
#include "sum_sq_diff.h"

namespace mae {

namespace {

// The pass over the compared rows of both files. Runs inside
// RunCatchingSigbus when the files are mapped, so it owns nothing that
// needs a destructor: the readers and the result live outside it.
struct Pass {
  RowReader* a;
  RowReader* b;
  std::uint64_t row_bytes;
  std::uint64_t rows;
  const CompareOptions* options;
  Comparison* result;
  bool ok;
};

// Adds one compared piece of a row (whole pixels) to the result: its sum,
// and with figures its largest difference, differing pixels and pixels
// beyond the tolerance.
void AddPiece(const Pass& p, std::uint64_t row, std::uint64_t start, const unsigned char* a,
              const unsigned char* b, std::size_t n) {
  Comparison& result = *p.result;
  const std::uint64_t sum = SumAbsDiff(a, b, n);
  result.sum += sum;
  if (p.options->squares && sum != 0) {
    result.sum_sq += SumSqDiff(a, b, n);
  }
  if (p.options->figures && sum != 0) {  // an identical piece adds nothing
    PixelFigures f{result.max_difference, result.differing_pixels};
    AddPixelFigures(a, b, n, &f);
    result.max_difference = f.max_difference;
    result.differing_pixels = f.differing_pixels;
    if (p.options->tolerance) {
      result.beyond_tolerance += CountPixelsBeyond(a, b, n, *p.options->tolerance);
    }
  }
  if (p.options->visit) {
    p.options->visit(row, start, a, b, n);
  }
}

// Adds the kept pieces of one row of a chunk, split around the ignored
// spans.
void AddKeptPieces(const Pass& p, std::uint64_t row, const RowChunk& c, const unsigned char* a,
                   const unsigned char* b) {
  const std::vector<AreaRect>& rects = p.options->ignore;
  const std::uint64_t first = c.start / kComparedPixelBytes;
  const std::uint64_t end = first + c.bytes / kComparedPixelBytes;
  ForEachKeptSpan(rects.data(), rects.size(), row, first, end,
                  [&](std::uint64_t x, std::uint64_t n) {
                    const std::uint64_t at = (x - first) * kComparedPixelBytes;
                    AddPiece(p, row, x * kComparedPixelBytes, a + at, b + at,
                             static_cast<std::size_t>(n * kComparedPixelBytes));
                  });
}

void RunPass(void* context) {
  Pass& p = *static_cast<Pass*>(context);
  const std::uint64_t widest = std::max(p.a->stride(), p.b->stride());
  const std::size_t limit = std::min(p.a->limit(), p.b->limit());
  p.ok = ForEachRowChunk(p.row_bytes, p.rows, widest, limit, [&p](const RowChunk& c) {
    const unsigned char* a = p.a->Fetch(c);
    const unsigned char* b = a != nullptr ? p.b->Fetch(c) : nullptr;
    if (b == nullptr) {
      (a == nullptr ? p.result->a : p.result->b).status = BmpStatus::kReadError;
      return false;
    }
    const bool whole = p.options->ignore.empty();
    for (std::uint64_t i = 0; i < c.rows; ++i) {
      const unsigned char* row_a = a + i * p.a->stride();
      const unsigned char* row_b = b + i * p.b->stride();
      if (whole) {
        AddPiece(p, c.first_row + i, c.start, row_a, row_b, c.bytes);
      } else {
        AddKeptPieces(p, c.first_row + i, c, row_a, row_b);
      }
    }
    return true;
  });
}

// Only 24-bit images are compared: the bytes are taken 3 to a pixel. A file
// without the "BM" signature is more likely no BMP at all.
void CheckDepth(FileOutcome* file) {
  if (file->header.bit_count != kComparedBitCount) {
    file->status = file->header.signature ? BmpStatus::kNot24Bit : BmpStatus::kNotBmp;
  }
}

// RLE pixels do not lie in rows: a file whose header says so is refused
// in those words, whether or not its compressed data happened to fill the
// rows its header declares.
void RefuseRle(FileOutcome* file) {
  if (file->fields_read && file->header.rle() &&
      (file->status == BmpStatus::kOk || file->status == BmpStatus::kPixelsMissing)) {
    file->status = BmpStatus::kRleCompressed;
  }
}

// Reads and sums the compared rows of both files; false when a read fails
// (that file's status then says so).
bool SumRows(BmpFile& file_a, BmpFile& file_b, const CompareOptions& options, Comparison* result) {
  const BmpHeader& ha = file_a.header();
  const BmpHeader& hb = file_b.header();
  std::uint64_t row_bytes = result->width * kComparedPixelBytes;
  std::uint64_t rows = result->height;
  std::uint64_t stride_a = ha.stride;
  std::uint64_t stride_b = hb.stride;
  // The compared area starts `border` rows and pixels in; every offset
  // fits, as it lies inside a file already checked to hold its rows.
  const std::uint64_t skip = options.border;
  const std::uint64_t base_a = ha.offset + skip * stride_a + skip * kComparedPixelBytes;
  const std::uint64_t base_b = hb.offset + skip * stride_b + skip * kComparedPixelBytes;
  if (!options.figures && !options.visit && options.ignore.empty() && stride_a == row_bytes &&
      stride_b == row_bytes) {
    // The compared bytes are one run in each file: read them as one row.
    row_bytes *= rows;
    stride_a = stride_b = row_bytes;
    rows = 1;
  }
  RowReader a(file_a, base_a, stride_a);
  RowReader b(file_b, base_b, stride_b);
  Pass pass{&a, &b, row_bytes, rows, &options, result, false};
  // Mapped files are read in place. Where a file cannot be mapped, or a
  // visitor (whose code may hold what a jump out of a SIGBUS would skip)
  // sees the rows, both are read through buffers.
  if (!options.visit && file_a.Map() && file_b.Map()) {
    const void* fault = RunCatchingSigbus(RunPass, &pass);
    if (fault != nullptr) {
      const bool in_b = file_b.Holds(fault) && !file_a.Holds(fault);
      (in_b ? result->b : result->a).status = BmpStatus::kReadError;
      return false;
    }
    return pass.ok;
  }
  if (!a.UseBuffer() || !b.UseBuffer()) {
    result->a.status = BmpStatus::kOutOfMemory;
    return false;
  }
  RunPass(&pass);
  return pass.ok;
}

}  // namespace

Comparison CompareFiles(const char* path_a, const char* path_b, const CompareOptions& options) {
  BmpFile file_a;
  BmpFile file_b;
  file_a.Open(path_a);
  file_b.Open(path_b);
  return CompareOpenFiles(file_a, file_b, options);
}

Comparison CompareOpenFiles(BmpFile& file_a, BmpFile& file_b, const CompareOptions& options) {
  Comparison result;
  result.a = file_a.outcome();
  result.b = file_b.outcome();
  RefuseRle(&result.a);
  RefuseRle(&result.b);
  if (result.a.status != BmpStatus::kOk || result.b.status != BmpStatus::kOk) {
    return result;
  }
  CheckDepth(&result.a);
  CheckDepth(&result.b);
  if (result.a.status != BmpStatus::kOk || result.b.status != BmpStatus::kOk) {
    return result;
  }
  const BmpHeader& ha = result.a.header;
  const BmpHeader& hb = result.b.header;
  if (!CommonArea(ha.width, ha.height, hb.width, hb.height, &result.width, &result.height)) {
    result.width = result.height = 0;
    result.state = CompareState::kEmptyArea;
    return result;
  }
  const std::uint64_t frame = std::uint64_t{options.border} * 2;
  if (result.width <= frame || result.height <= frame) {
    result.width = result.height = 0;
    result.emptied_by_border = true;
    result.state = CompareState::kEmptyArea;
    return result;
  }
  if (options.on_area) {
    options.on_area(result.width, result.height);
  }
  result.width -= frame;
  result.height -= frame;
  if (!options.ignore.empty()) {
    result.ignored_pixels = IgnoredPixels(options.ignore, result.width, result.height);
  }
  if (!SumRows(file_a, file_b, options, &result)) {
    result.state = CompareState::kFailedWhileComparing;
    result.sum = 0;
    result.max_difference = 0;
    result.differing_pixels = 0;
    result.beyond_tolerance = 0;
    return result;
  }
  result.state = CompareState::kCompared;
  return result;
}

}  // namespace mae
