// Decoding the BMP variants the comparison does not read as they lie:
// top-down rows, 32 and 16 bits a pixel (with or without bit fields),
// palettes of 8, 4 and 1 bits, RLE8 and RLE4, and OS/2 headers, into
// 24-bit pixels.
#ifndef MAE_CHECK_BMP_DECODE_H
#define MAE_CHECK_BMP_DECODE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "image_format.h"

namespace mae::check {

// The fields of a BMP header that decoding needs, read and checked.
struct BmpInfo {
  // How the pixels lie (kBmpPng, kBmpJpeg and kRle24 for other streams);
  // an OS/2 file's pixels are as those of the Windows format named here.
  ImageFormat format = ImageFormat::kUnknown;
  bool os2 = false;  // a 12-byte OS/2 1.x header (a shorter OS/2 2.x one is not
                     // told apart: its pixels are as in a Windows file)
  std::uint32_t width = 0;
  std::uint32_t height = 0;  // rows, whichever way they run
  bool top_down = false;
  std::uint16_t bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t offset = 0;     // of the pixel data
  std::uint32_t masks[3] = {};  // red, green, blue for 16 and 32 bits
  std::uint32_t palette_at = 0;
  std::uint32_t palette_size = 0;   // entries the file holds (at most 2^bits)
  std::uint32_t palette_entry = 4;  // bytes an entry: 3 after a 12-byte header
};

// Reads the header `bytes` (the first `size` bytes, at least 70 where the
// file has them) of a file of `file_size` bytes. The format is kUnknown for
// a file that is no BMP this knows (2 or 64 bits a pixel, other
// compressions, a width or height the comparison refuses). An OS/2 2.x
// header shorter than 40 bytes has the fields it holds; the rest are 0.

BmpInfo ReadBmpInfo(const unsigned char* bytes, std::size_t size, std::uint64_t file_size);

// The rows of an uncompressed format are all in the file (the last row's
// padding may be missing); always true for RLE, whose data is read as it
// comes, and for the streams of other formats.
bool RowsFit(const BmpInfo& info, std::uint64_t file_size);

// Why decoding stopped.
struct DecodeFailure {
  enum Kind { kNone, kPixelsMissing, kRunsPast, kEndsEarly, kPaletteIndex } kind = kNone;
  std::uint32_t index = 0;  // kPaletteIndex: the index, and the palette's size
  std::uint32_t size = 0;
};

// Decodes the pixels of the mapped `file` (`file_size` bytes) described by
// `info` into `out`: width x height x 3 bytes, blue green red, bottom row
// first. Allocates nothing and owns nothing that needs a destructor, so
// that it can run inside RunCatchingSigbus over a mapped file. With `out`
// null, RLE runs are checked without being drawn, in time proportional to
// the file, so that a broken stream is refused before its picture is made.
DecodeFailure DecodeBmpPixels(const BmpInfo& info, const unsigned char* file,
                              std::uint64_t file_size, unsigned char* out);

// The failure in words, after "output PATH ".
std::string DecodeFailureWords(const BmpInfo& info, const DecodeFailure& failure);

}  // namespace mae::check

#endif  // MAE_CHECK_BMP_DECODE_H
