#include "compare.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "bmp_file.h"
#include "pixel_figures.h"
#include "sigbus_guard.h"
#include "sum_abs_diff.h"

namespace {

constexpr std::uint16_t kComparedBitCount = 24;
constexpr std::uint64_t kBytesPerPixel = 3;

// Each file is read through a buffer of this many bytes: large enough that
// system calls cost little, small enough that both buffers stay in cache
// while they are compared. A row longer than this is read in pieces of
// whole pixels.
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
constexpr std::size_t kPieceBytes = kChunkBytes / kBytesPerPixel * kBytesPerPixel;

// The area both images cover: the first min(height) rows and, in each, the
// first min(width) pixels. False when it is empty.
bool CommonArea(std::int64_t width_a, std::int64_t height_a, std::int64_t width_b,
                std::int64_t height_b, std::uint64_t* width, std::uint64_t* height) {
  const std::int64_t w = std::min(width_a, width_b);
  const std::int64_t h = std::min(height_a, height_b);
  if (w <= 0 || h <= 0) {
    return false;
  }
  *width = static_cast<std::uint64_t>(w);
  *height = static_cast<std::uint64_t>(h);
  return true;
}

// Every term of the sum is an integer, so the sum is exact and the mean is
// rounded once, here. An empty area would be 0 / 0: its NaN is made
// explicit so that every compiler and processor gives the same negative one.
double Mean(std::uint64_t sum, std::uint64_t count) {
  if (count == 0) {
    return -std::numeric_limits<double>::quiet_NaN();
  }
  return static_cast<double>(sum) / static_cast<double>(count);
}

// Adds one compared piece of a row (whole pixels) to the result: its sum,
// and with `figures` its largest difference and differing pixels.
void AddPiece(const unsigned char* a, const unsigned char* b, std::size_t n, bool figures,
              Comparison* result) {
  const std::uint64_t sum = SumAbsDiff(a, b, n);
  result->sum += sum;
  if (figures && sum != 0) {  // an identical piece adds nothing
    PixelFigures f{result->max_difference, result->differing_pixels};
    AddPixelFigures(a, b, n, &f);
    result->max_difference = f.max_difference;
    result->differing_pixels = f.differing_pixels;
  }
}

// One image as the comparison streams it: row r of the compared area is
// the compared bytes from `base + r * stride` in the file.
struct Rows {
  const BmpFile& file;
  FileReport& report;
  std::uint64_t base;
  std::uint64_t stride;
};

bool Fill(const Rows& rows, std::uint64_t position, unsigned char* out, std::size_t size) {
  if (rows.file.ReadAt(position, out, size)) {
    return true;
  }
  rows.report.status = BmpStatus::kReadError;
  return false;
}

class Streamer {
 public:
  Streamer(const CompareOptions& options, Comparison* result)
      : options_(options), result_(result) {}

  // Sums |a - b| over `row_count` rows of `row_bytes` bytes, reading both
  // files front to back. False when a read or an allocation fails.
  bool Run(Rows a, Rows b, std::uint64_t row_bytes, std::uint64_t row_count) {
    const bool per_row = options_.figures || options_.visit;
    if (!per_row && a.stride == row_bytes && b.stride == row_bytes) {
      // The compared bytes are one run in each file: stream them as one row.
      row_bytes *= row_count;
      a.stride = b.stride = row_bytes;
      row_count = 1;
    }
    const std::unique_ptr<unsigned char[]> buffer_a(new (std::nothrow) unsigned char[kChunkBytes]);
    const std::unique_ptr<unsigned char[]> buffer_b(new (std::nothrow) unsigned char[kChunkBytes]);
    if (!buffer_a || !buffer_b) {
      result_->a.status = BmpStatus::kOutOfMemory;
      return false;
    }
    unsigned char* const buf_a = buffer_a.get();
    unsigned char* const buf_b = buffer_b.get();
    const std::uint64_t widest = std::max(a.stride, b.stride);
    if (widest <= kChunkBytes) {
      // Several whole rows of each file per read.
      const std::uint64_t rows_per_read = kChunkBytes / widest;
      for (std::uint64_t row = 0; row < row_count; row += rows_per_read) {
        const std::uint64_t rows = std::min(rows_per_read, row_count - row);
        const auto span_a = static_cast<std::size_t>(a.stride * (rows - 1) + row_bytes);
        const auto span_b = static_cast<std::size_t>(b.stride * (rows - 1) + row_bytes);
        if (!Fill(a, a.base + row * a.stride, buf_a, span_a) ||
            !Fill(b, b.base + row * b.stride, buf_b, span_b)) {
          return false;
        }
        for (std::uint64_t r = 0; r < rows; ++r) {
          Piece(row + r, 0, buf_a + r * a.stride, buf_b + r * b.stride,
                static_cast<std::size_t>(row_bytes));
        }
      }
      return true;
    }
    // Rows longer than a buffer: each row in pieces of whole pixels.
    for (std::uint64_t row = 0; row < row_count; ++row) {
      for (std::uint64_t done = 0; done < row_bytes; done += kPieceBytes) {
        const auto piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, row_bytes - done));
        if (!Fill(a, a.base + row * a.stride + done, buf_a, piece) ||
            !Fill(b, b.base + row * b.stride + done, buf_b, piece)) {
          return false;
        }
        Piece(row, done, buf_a, buf_b, piece);
      }
    }
    return true;
  }

 private:
  void Piece(std::uint64_t row, std::uint64_t start, const unsigned char* a, const unsigned char* b,
             std::size_t n) {
    AddPiece(a, b, n, options_.figures, result_);
    if (options_.visit) {
      options_.visit(row, start, a, b, n);
    }
  }

  const CompareOptions& options_;
  Comparison* result_;
};

// The pass over two mapped files: no copy, no buffer. Runs inside
// RunCatchingSigbus, so it owns nothing that needs a destructor.
struct MappedPass {
  const unsigned char* a;
  const unsigned char* b;
  std::uint64_t stride_a;
  std::uint64_t stride_b;
  std::uint64_t row_bytes;
  std::uint64_t rows;
  bool figures;
  Comparison* result;
};

void RunMappedPass(void* context) {
  const MappedPass& p = *static_cast<const MappedPass*>(context);
  Comparison& result = *p.result;
  if (!p.figures && p.stride_a == p.row_bytes && p.stride_b == p.row_bytes) {
    // The compared bytes are one run in each file.
    result.sum = SumAbsDiff(p.a, p.b, static_cast<std::size_t>(p.row_bytes * p.rows));
    return;
  }
  const auto n = static_cast<std::size_t>(p.row_bytes);
  for (std::uint64_t row = 0; row < p.rows; ++row) {
    AddPiece(p.a + row * p.stride_a, p.b + row * p.stride_b, n, p.figures, &result);
  }
}

bool Within(const void* address, const BmpFile& file) {
  const auto* byte = static_cast<const unsigned char*>(address);
  return byte >= file.mapped() && byte < file.mapped() + file.size();
}

// Sums both files' rows through their mappings. False when a file shrank
// under the pass; its status then says which.
bool SumMapped(const BmpFile& file_a, const BmpFile& file_b, std::uint64_t row_bytes, bool figures,
               Comparison* result) {
  const BmpHeader& ha = result->a.header;
  const BmpHeader& hb = result->b.header;
  MappedPass pass{file_a.mapped() + ha.offset,
                  file_b.mapped() + hb.offset,
                  ha.stride,
                  hb.stride,
                  row_bytes,
                  result->height,
                  figures,
                  result};
  const void* fault = RunCatchingSigbus(RunMappedPass, &pass);
  if (fault == nullptr) {
    return true;
  }
  (Within(fault, file_b) && !Within(fault, file_a) ? result->b : result->a).status =
      BmpStatus::kReadError;
  return false;
}

void Report(const BmpFile& file, BmpStatus status, FileReport* report) {
  report->status = status;
  report->open_error = file.open_error();
  report->fields_read = file.fields_read();
  report->header = file.header();
}

// Only 24-bit images are compared: the bytes are taken 3 to a pixel. A file
// without the "BM" signature is more likely no BMP at all.
void CheckDepth(FileReport* report) {
  if (report->header.bit_count != kComparedBitCount) {
    report->status = report->header.signature ? BmpStatus::kNot24Bit : BmpStatus::kNotBmp;
  }
}

}  // namespace

Comparison CompareFiles(const char* path_a, const char* path_b, const CompareOptions& options) {
  Comparison result;
  BmpFile file_a;
  BmpFile file_b;
  Report(file_a, file_a.Open(path_a), &result.a);
  Report(file_b, file_b.Open(path_b), &result.b);
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
  result.sizes_differ = ha.width != hb.width || ha.height != hb.height;
  if (!CommonArea(ha.width, ha.height, hb.width, hb.height, &result.width, &result.height)) {
    result.width = result.height = 0;
    result.compared = true;
    result.mae = Mean(0, 0);
    return result;
  }
  if (options.on_area) {
    options.on_area(result.width, result.height);
  }
  // Each image's rows are in its file, at its own stride. Mapped files are
  // read in place; where a file cannot be mapped, or a visitor (whose code
  // may hold what a jump out of a SIGBUS would skip) sees the rows, both
  // are read through buffers.
  const std::uint64_t row_bytes = result.width * kBytesPerPixel;
  bool ok = false;
  if (!options.visit && file_a.Map() && file_b.Map()) {
    ok = SumMapped(file_a, file_b, row_bytes, options.figures, &result);
  } else {
    const Rows rows_a{file_a, result.a, ha.offset, ha.stride};
    const Rows rows_b{file_b, result.b, hb.offset, hb.stride};
    Streamer streamer(options, &result);
    ok = streamer.Run(rows_a, rows_b, row_bytes, result.height);
  }
  if (!ok) {
    result.failed_while_comparing = true;
    result.sum = 0;
    result.max_difference = 0;
    result.differing_pixels = 0;
    return result;
  }
  result.compared = true;
  result.mae = Mean(result.sum, row_bytes * result.height);
  return result;
}

double MeanAbsoluteError(const unsigned char* a, std::int32_t width_a, std::int32_t height_a,
                         const unsigned char* b, std::int32_t width_b, std::int32_t height_b) {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  if (!CommonArea(width_a, height_a, width_b, height_b, &width, &height)) {
    return Mean(0, 0);
  }
  const std::uint64_t row_bytes = width * kBytesPerPixel;
  const std::size_t stride_a = static_cast<std::size_t>(width_a) * kBytesPerPixel;
  const std::size_t stride_b = static_cast<std::size_t>(width_b) * kBytesPerPixel;
  std::uint64_t sum = 0;
  for (std::size_t row = 0; row < height; ++row) {
    sum += SumAbsDiff(a + row * stride_a, b + row * stride_b, static_cast<std::size_t>(row_bytes));
  }
  return Mean(sum, row_bytes * height);
}
