#include "bmp_header.h"

#include <limits>

namespace {

constexpr std::uint32_t kMaxSigned32 = std::numeric_limits<std::int32_t>::max();

std::uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t ReadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// True when `need` bytes from `offset` on are all within `file_size`.
bool Holds(std::uint64_t file_size, std::uint64_t offset, std::uint64_t need) {
  return offset <= file_size && need <= file_size - offset;
}

BmpStatus Check(const BmpHeader& h, std::uint64_t file_size, std::uint64_t* stride,
                std::uint64_t* block_size) {
  if (h.height > kMaxSigned32) {
    return BmpStatus::kTopDown;
  }
  if (h.width > kMaxSigned32) {
    return BmpStatus::kTooWide;
  }
  // Below 2^31 x 8191: no overflow.
  const std::uint64_t row = std::uint64_t{h.width} * h.bytes_per_pixel;
  const std::uint64_t padded_stride = (row + 3) / 4 * 4;
  std::uint64_t span = 0;
  if (padded_stride > row && h.height > 0 && CheckedMul(padded_stride, h.height - 1u, &span) &&
      CheckedAdd(span, row, &span) && Holds(file_size, h.offset, span)) {
    *stride = padded_stride;
  } else if (CheckedMul(row, h.height, &span) && Holds(file_size, h.offset, span)) {
    *stride = row;
  } else {
    return BmpStatus::kPixelsMissing;
  }
  // row x height is at most the span just checked, so it fits too.
  *block_size = row * h.height;
  return BmpStatus::kOk;
}

}  // namespace

bool CheckedMul(std::uint64_t a, std::uint64_t b, std::uint64_t* result) {
  if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) {
    return false;
  }
  *result = a * b;
  return true;
}

bool CheckedAdd(std::uint64_t a, std::uint64_t b, std::uint64_t* result) {
  if (b > std::numeric_limits<std::uint64_t>::max() - a) {
    return false;
  }
  *result = a + b;
  return true;
}

BmpStatus ParseBmpHeader(const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                         BmpHeader* header) {
  if (file_size < kBmpFieldsEnd || size < kBmpFieldsEnd) {
    return BmpStatus::kTooShort;
  }
  BmpHeader h;
  h.signature = bytes[0] == 'B' && bytes[1] == 'M';
  h.offset = ReadLe32(bytes + 10);
  h.width = ReadLe32(bytes + 18);
  h.height = ReadLe32(bytes + 22);
  h.bit_count = ReadLe16(bytes + 28);
  h.bytes_per_pixel = static_cast<std::uint16_t>(h.bit_count >> 3);
  std::uint64_t stride = 0;
  std::uint64_t block_size = 0;
  const BmpStatus status = Check(h, file_size, &stride, &block_size);
  if (status == BmpStatus::kOk) {
    h.row_bytes = std::uint64_t{h.width} * h.bytes_per_pixel;
    h.stride = stride;
    h.block_size = block_size;
  }
  *header = h;
  // A file that is not a BMP at all says so rather than blaming a field;
  // one that can be read all the same is read, signature or not.
  if (status != BmpStatus::kOk && !h.signature) {
    return BmpStatus::kNotBmp;
  }
  return status;
}
