#include "MAE.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "bmp_file.h"
#include "bmp_reader.h"

const char* output_name[10] = {
    "Blur1.bmp",  "Blur2.bmp",  "Blur3.bmp",  "Blur4.bmp",  "Blur5.bmp",
    "Sobel1.bmp", "Sobel2.bmp", "Sobel3.bmp", "Sobel4.bmp", "Sobel5.bmp",
};

const char* ans_name[10] = {
    "ANS/Blur1.bmp",  "ANS/Blur2.bmp",  "ANS/Blur3.bmp",  "ANS/Blur4.bmp",  "ANS/Blur5.bmp",
    "ANS/Sobel1.bmp", "ANS/Sobel2.bmp", "ANS/Sobel3.bmp", "ANS/Sobel4.bmp", "ANS/Sobel5.bmp",
};

namespace {

constexpr std::uint16_t kComparedBitCount = 24;
constexpr std::size_t kBytesPerPixel = 3;

// The plain loop: correct on every processor, and the tail of the others.
std::uint64_t SumAbsDiffScalar(const unsigned char* a, const unsigned char* b, std::size_t n) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += static_cast<unsigned>(a[i] > b[i] ? a[i] - b[i] : b[i] - a[i]);
  }
  return sum;
}

#if defined(__x86_64__)
#define MAE_HAVE_X86 1

// psadbw sums |a - b| over 8 bytes into a 64-bit lane: no lane can
// overflow, whatever the length.
std::uint64_t SumAbsDiffSse2(const unsigned char* a, const unsigned char* b, std::size_t n) {
  __m128i acc0 = _mm_setzero_si128();
  __m128i acc1 = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const auto* pa = reinterpret_cast<const __m128i*>(a + i);
    const auto* pb = reinterpret_cast<const __m128i*>(b + i);
    acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(pa), _mm_loadu_si128(pb)));
    acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadu_si128(pa + 1), _mm_loadu_si128(pb + 1)));
    acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(pa + 2), _mm_loadu_si128(pb + 2)));
    acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadu_si128(pa + 3), _mm_loadu_si128(pb + 3)));
  }
  for (; i + 16 <= n; i += 16) {
    acc0 =
        _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))));
  }
  if (i + 8 <= n) {  // the upper halves load as zeros on both sides
    acc1 =
        _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + i)),
                                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + i))));
    i += 8;
  }
  const __m128i acc = _mm_add_epi64(acc0, acc1);
  const std::uint64_t lanes =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(acc)) +
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
  return lanes + SumAbsDiffScalar(a + i, b + i, n - i);
}

__attribute__((target("avx2"))) std::uint64_t SumAbsDiffAvx2(const unsigned char* a,
                                                             const unsigned char* b,
                                                             std::size_t n) {
  __m256i acc0 = _mm256_setzero_si256();
  __m256i acc1 = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const auto* pa = reinterpret_cast<const __m256i*>(a + i);
    const auto* pb = reinterpret_cast<const __m256i*>(b + i);
    acc0 = _mm256_add_epi64(acc0, _mm256_sad_epu8(_mm256_loadu_si256(pa), _mm256_loadu_si256(pb)));
    acc1 = _mm256_add_epi64(
        acc1, _mm256_sad_epu8(_mm256_loadu_si256(pa + 1), _mm256_loadu_si256(pb + 1)));
  }
  const __m256i acc = _mm256_add_epi64(acc0, acc1);
  const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
  const std::uint64_t lanes =
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) +
      static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
  return lanes + SumAbsDiffSse2(a + i, b + i, n - i);
}

using SumAbsDiffFn = std::uint64_t (*)(const unsigned char*, const unsigned char*, std::size_t);

SumAbsDiffFn ChooseSumAbsDiff() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? SumAbsDiffAvx2 : SumAbsDiffSse2;
}
#endif

}  // namespace

std::uint64_t SumAbsDiff(const unsigned char* a, const unsigned char* b, std::size_t n) {
#ifdef MAE_HAVE_X86
  if (n < 64) {
    return SumAbsDiffSse2(a, b, n);  // short rows: no indirect call, no wide lanes
  }
  static const SumAbsDiffFn chosen = ChooseSumAbsDiff();
  return chosen(a, b, n);
#else
  return SumAbsDiffScalar(a, b, n);
#endif
}

namespace {

// The area both images cover, each indexed with its own width: the first
// min(height) rows and, in each, the first min(width) pixels. False when it
// is empty (a width or height of 0 or less).
bool CommonArea(std::int32_t width_a, std::int32_t height_a, std::int32_t width_b,
                std::int32_t height_b, std::uint64_t* row_bytes, std::uint64_t* rows) {
  const std::int32_t w = std::min(width_a, width_b);
  const std::int32_t h = std::min(height_a, height_b);
  if (w <= 0 || h <= 0) {
    return false;
  }
  *row_bytes = static_cast<std::uint64_t>(w) * kBytesPerPixel;
  *rows = static_cast<std::uint64_t>(h);
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

// Each file is read through a buffer of this many bytes: large enough that
// system calls cost little, small enough that both buffers stay in cache
// while they are compared.
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;

struct Buffer {
  std::unique_ptr<unsigned char[]> bytes;
  explicit Buffer(std::size_t size) : bytes(new (std::nothrow) unsigned char[size]) {}
};

// One image as the comparison streams it: row r of the compared area is
// the `row_bytes` bytes from `base + r * stride` in the file.
struct Rows {
  const BmpFile& file;
  const char* path;
  std::uint64_t base;
  std::uint64_t stride;
};

// Reads `size` bytes at `position` from `rows`' file; prints the read error
// line on failure.
bool Fill(const Rows& rows, std::uint64_t position, unsigned char* out, std::size_t size) {
  if (rows.file.ReadAt(position, out, size)) {
    return true;
  }
  PrintPathError(rows.path, "could not be read.");
  return false;
}

// Sums |a - b| over `row_count` rows of `row_bytes` bytes, reading both files
// front to back through two cache-sized buffers, so that the images never
// have to fit in memory. False when a read fails.
bool StreamSumAbsDiff(Rows a, Rows b, std::uint64_t row_bytes, std::uint64_t row_count,
                      std::uint64_t* sum) {
  if (a.stride == row_bytes && b.stride == row_bytes) {
    // The compared bytes are one run in each file: stream them as one row.
    row_bytes *= row_count;
    a.stride = b.stride = row_bytes;
    row_count = 1;
  }
  Buffer buffer_a(kChunkBytes);
  Buffer buffer_b(kChunkBytes);
  if (!buffer_a.bytes || !buffer_b.bytes) {
    std::puts("malloc images_s error");
    return false;
  }
  unsigned char* const buf_a = buffer_a.bytes.get();
  unsigned char* const buf_b = buffer_b.bytes.get();
  const std::uint64_t widest = std::max(a.stride, b.stride);
  *sum = 0;
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
        *sum += SumAbsDiff(buf_a + r * a.stride, buf_b + r * b.stride,
                           static_cast<std::size_t>(row_bytes));
      }
    }
    return true;
  }
  // Rows longer than a buffer: each row in pieces.
  for (std::uint64_t row = 0; row < row_count; ++row) {
    for (std::uint64_t done = 0; done < row_bytes; done += kChunkBytes) {
      const auto piece =
          static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, row_bytes - done));
      if (!Fill(a, a.base + row * a.stride + done, buf_a, piece) ||
          !Fill(b, b.base + row * b.stride + done, buf_b, piece)) {
        return false;
      }
      *sum += SumAbsDiff(buf_a, buf_b, piece);
    }
  }
  return true;
}

}  // namespace

double MeanAbsoluteError(const unsigned char* a, std::int32_t width_a, std::int32_t height_a,
                         const unsigned char* b, std::int32_t width_b, std::int32_t height_b) {
  std::uint64_t row_bytes = 0;
  std::uint64_t rows = 0;
  if (!CommonArea(width_a, height_a, width_b, height_b, &row_bytes, &rows)) {
    return Mean(0, 0);
  }
  const std::size_t stride_a = static_cast<std::size_t>(width_a) * kBytesPerPixel;
  const std::size_t stride_b = static_cast<std::size_t>(width_b) * kBytesPerPixel;
  std::uint64_t sum = 0;
  for (std::size_t row = 0; row < rows; ++row) {
    sum += SumAbsDiff(a + row * stride_a, b + row * stride_b, static_cast<std::size_t>(row_bytes));
  }
  return Mean(sum, row_bytes * rows);
}

double MAE(const char* path1, const char* path2) {
  // Both files are opened and checked exactly as BmpReader::ReadBMP would,
  // with the same lines, but their pixels are then streamed rather than
  // loaded: the comparison reads each byte once and never holds an image.
  BmpReader reader;
  BmpFile file_a;
  BmpFile file_b;
  const bool ok_a = file_a.Open(reader, path1);
  const BmpReader header_a = reader;
  const bool ok_b = file_b.Open(reader, path2);
  const BmpReader& header_b = reader;
  if (!ok_a || !ok_b) {
    return -1.0;
  }

  // The bytes are taken as 3 a pixel, which only a 24-bit image has.
  bool depth_ok = true;
  if (header_a.bit_count != kComparedBitCount) {
    PrintPathError(path1, "is not a 24-bit image.");
    depth_ok = false;
  }
  if (header_b.bit_count != kComparedBitCount) {
    PrintPathError(path2, "is not a 24-bit image.");
    depth_ok = false;
  }
  if (!depth_ok) {
    return -1.0;
  }

  const auto width_a = static_cast<std::int32_t>(header_a.width);
  const auto height_a = static_cast<std::int32_t>(header_a.height);
  const auto width_b = static_cast<std::int32_t>(header_b.width);
  const auto height_b = static_cast<std::int32_t>(header_b.height);
  if (width_a != width_b || height_a != height_b) {
    std::printf(" Warning: The size of 2 images is not the same!\n");
  }
  std::uint64_t row_bytes = 0;
  std::uint64_t rows = 0;
  if (!CommonArea(width_a, height_a, width_b, height_b, &row_bytes, &rows)) {
    return Mean(0, 0);
  }
  // Both widths are positive here, and each image's rows are in its file.
  const Rows rows_a{file_a, path1, header_a.offset,
                    static_cast<std::uint64_t>(width_a) * kBytesPerPixel};
  const Rows rows_b{file_b, path2, header_b.offset,
                    static_cast<std::uint64_t>(width_b) * kBytesPerPixel};
  std::uint64_t sum = 0;
  if (!StreamSumAbsDiff(rows_a, rows_b, row_bytes, rows, &sum)) {
    return -1.0;
  }
  return Mean(sum, row_bytes * rows);
}
