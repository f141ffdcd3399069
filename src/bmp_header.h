// Checking a BMP header against the size of its file: a pure function of
// bytes, so that tests and fuzzers call it without any file.
//
// The fields used are the file size (byte 2), the pixel-block offset (10),
// the information-header size (14), the width (18), the height (22), the
// bits per pixel (28) and the image size (34), all little-endian. With
//   row    = width x (bits per pixel / 8, rounded down) bytes
//   stride = row rounded up to a multiple of 4
// a file whose rows need no padding (stride = row) holds them one after the
// other. Otherwise the header says which layout its writer meant:
//   padded (every standard writer): the file-size field is
//     offset + stride x height, or the image-size field is stride x height
//     and not 0;
//   packed (BmpReader::WriteBMP): the file-size field is
//     offset + row x height, and the image-size field is 0 or row x height
//   (the fields compared modulo 2^32, as they are 32 bits wide). When
// exactly one holds, that is the layout; when neither or both do, the file's
// size decides: padded when it holds every row at its padded place, else
// packed. Padded rows start at offset + r x stride and the last row's
// padding may be missing: the file must hold offset + stride x (height - 1)
// + row bytes. Packed rows need offset + row x height bytes. A file that
// holds less than its layout needs is refused.
#ifndef MAE_BMP_HEADER_H
#define MAE_BMP_HEADER_H

#include <cstddef>
#include <cstdint>

#include "status.h"

namespace mae {

// A file shorter than this cannot hold the fields a reader needs (up to
// the bits per pixel, bytes 28-29).
constexpr std::size_t kBmpFieldsEnd = 30;
// The header bytes read: the image-size field ends at byte 38, and a file
// shorter than that is taken as having an image size of 0.
constexpr std::size_t kBmpHeaderRead = 38;

// The images compared: 24 bits, 3 bytes (blue, green, red) to a pixel.
constexpr std::uint16_t kComparedBitCount = 24;
constexpr std::size_t kComparedPixelBytes = kComparedBitCount / 8;

// How a file's rows lie: kEither when a row needs no padding (a multiple
// of 4 bytes), kNone until the header has been accepted.
enum class RowLayout { kNone, kEither, kPadded, kPacked };

// What a file that is no BMP file starts like, where it says.
enum class OtherFormat { kNone, kPng, kJpeg, kGif };

struct BmpHeader {
  bool signature = false;                         // the file starts with "BM"
  OtherFormat other_format = OtherFormat::kNone;  // without "BM": a known signature
  std::uint32_t size_field = 0;                   // the file size the header states
  std::uint32_t image_size = 0;                   // the image size it states (0 when absent)
  std::uint32_t info_size = 0;                    // the information header's size
  std::uint32_t offset = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bit_count = 0;
  std::uint16_t bytes_per_pixel = 0;  // bit_count / 8, rounded down
  std::uint32_t compression = 0;      // bytes 30-33, 0 when the file is shorter
  // Set only when the header is accepted:
  std::uint64_t row_bytes = 0;   // width x bytes_per_pixel
  std::uint64_t stride = 0;      // from one row's start to the next in the file
  std::uint64_t block_size = 0;  // row_bytes x height: the pixels without padding
  RowLayout layout = RowLayout::kNone;
  // The size fields declared packed rows, but the file is exactly as long
  // as padded rows make it: read padded (a writer that left the padding
  // out of its size field).
  bool size_field_unpadded = false;
  bool padded() const { return stride != row_bytes; }
  // The compression field says RLE8 (1) or RLE4 (2), in a header that has
  // one (40 bytes or more).
  bool rle() const {
    return signature && info_size >= 40 && (compression == 1 || compression == 2);
  }
};

// Checks the first `size` bytes of a file of `file_size` bytes (`size` is
// kBmpHeaderRead, or all of a shorter file). Returns kOk, kTooShort,
// kOs2Header, kTopDown, kTooWide, kPixelsMissing or kNotBmp (in place of
// the four before it for a file without the "BM" signature). Unless the
// file is too short, the fields are stored in *header whatever the verdict;
// the layout only on kOk. Every size is computed without overflow.
BmpStatus ParseBmpHeader(const unsigned char* bytes, std::size_t size, std::uint64_t file_size,
                         BmpHeader* header);

// a x b and a + b, or false when the result does not fit in 64 bits.
bool CheckedMul(std::uint64_t a, std::uint64_t b, std::uint64_t* result);
bool CheckedAdd(std::uint64_t a, std::uint64_t b, std::uint64_t* result);

}  // namespace mae

#endif  // MAE_BMP_HEADER_H
