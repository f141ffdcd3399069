#include "bmp_header.h"

#include <limits>

namespace mae {

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

// The low 32 bits of a x b, as a 32-bit header field would hold it.
std::uint32_t Low32Product(std::uint64_t a, std::uint64_t b) {
  return static_cast<std::uint32_t>((a & 0xFFFFFFFFu) * (b & 0xFFFFFFFFu));
}

// The layout the header's size fields declare for rows that need padding:
// kPadded, kPacked, or kNone when they declare neither or both.
RowLayout DeclaredLayout(const BmpHeader& h, std::uint64_t row, std::uint64_t stride) {
  const std::uint32_t padded_size = Low32Product(stride, h.height);
  const std::uint32_t packed_size = Low32Product(row, h.height);
  const bool padded = h.size_field == static_cast<std::uint32_t>(h.offset + padded_size) ||
                      (h.image_size != 0 && h.image_size == padded_size);
  const bool packed = h.size_field == static_cast<std::uint32_t>(h.offset + packed_size) &&
                      (h.image_size == 0 || h.image_size == packed_size);
  if (padded == packed) {
    return RowLayout::kNone;
  }
  return padded ? RowLayout::kPadded : RowLayout::kPacked;
}

BmpStatus Check(const BmpHeader& h, std::uint64_t file_size, std::uint64_t* stride,
                RowLayout* layout, bool* unpadded) {
  if (h.signature && h.info_size == 12) {
    return BmpStatus::kOs2Header;  // 16-bit width and height at 18 and 20
  }
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
  const bool padded_fits = padded_stride > row && h.height > 0 &&
                           CheckedMul(padded_stride, h.height - 1u, &span) &&
                           CheckedAdd(span, row, &span) && Holds(file_size, h.offset, span);
  const bool packed_fits = CheckedMul(row, h.height, &span) && Holds(file_size, h.offset, span);
  RowLayout declared = RowLayout::kNone;
  if (padded_stride > row) {
    declared = DeclaredLayout(h, row, padded_stride);
  }
  if (declared == RowLayout::kNone) {  // the file's size decides
    declared = padded_fits ? RowLayout::kPadded : RowLayout::kPacked;
  }
  // Size fields that say packed lose to a file exactly as long as padded
  // rows, their last row's padding included: a standard file whose writer
  // counted its rows without the padding. Only towards padded: a file
  // exactly as long as packed rows whose header says padded stays short.
  bool unpadded_field = false;
  std::uint64_t padded_span = 0;
  if (declared == RowLayout::kPacked && padded_stride > row && h.height > 0 &&
      CheckedMul(padded_stride, h.height, &padded_span) &&
      CheckedAdd(padded_span, h.offset, &padded_span) && padded_span == file_size) {
    declared = RowLayout::kPadded;
    unpadded_field = true;
  }
  if (!(declared == RowLayout::kPadded ? padded_fits : packed_fits)) {
    return BmpStatus::kPixelsMissing;
  }
  *stride = declared == RowLayout::kPadded ? padded_stride : row;
  *layout = padded_stride == row ? RowLayout::kEither : declared;
  *unpadded = unpadded_field;
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
  h.size_field = ReadLe32(bytes + 2);
  h.info_size = ReadLe32(bytes + 14);
  h.image_size = size >= kBmpHeaderRead ? ReadLe32(bytes + 34) : 0;
  h.compression = size >= 34 ? ReadLe32(bytes + 30) : 0;
  if (!h.signature) {
    h.other_format = bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G'
                         ? OtherFormat::kPng
                     : bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF ? OtherFormat::kJpeg
                     : bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F' && bytes[3] == '8'
                         ? OtherFormat::kGif
                         : OtherFormat::kNone;
  }
  h.offset = ReadLe32(bytes + 10);
  h.width = ReadLe32(bytes + 18);
  h.height = ReadLe32(bytes + 22);
  h.bit_count = ReadLe16(bytes + 28);
  h.bytes_per_pixel = static_cast<std::uint16_t>(h.bit_count >> 3);
  std::uint64_t stride = 0;
  RowLayout layout = RowLayout::kNone;
  bool unpadded = false;
  const BmpStatus status = Check(h, file_size, &stride, &layout, &unpadded);
  if (status == BmpStatus::kOk) {
    h.row_bytes = std::uint64_t{h.width} * h.bytes_per_pixel;
    h.stride = stride;
    // row x height is at most the span just checked, so it fits.
    h.block_size = h.row_bytes * h.height;
    h.layout = layout;
    h.size_field_unpadded = unpadded;
  }
  *header = h;
  // A file that is not a BMP at all says so rather than blaming a field;
  // one that can be read all the same is read, signature or not.
  if (status != BmpStatus::kOk && !h.signature) {
    return BmpStatus::kNotBmp;
  }
  return status;
}

}  // namespace mae
