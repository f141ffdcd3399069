// What a picture file is: the BMP variants and PNG that mae-check decodes
// to 24-bit pixels, each with a stable code for scripts.
#ifndef MAE_CHECK_IMAGE_FORMAT_H
#define MAE_CHECK_IMAGE_FORMAT_H

#include <string>

namespace mae::check {

enum class ImageFormat {
  kUnknown,  // not one of these (or not read): the comparison says what it is
  kBmp24,
  kBmp32,
  kBmp16,
  kBmp8,
  kBmp4,
  kBmp1,
  kRle8,
  kRle4,
  kPng,
  kBmpOs2,   // an OS/2 1.x file (a 12-byte header, 3-byte palette entries)
  kBmpPng,   // a PNG stream inside a BMP file
  kBmpJpeg,  // a JPEG stream inside a BMP file: refused
  kRle24,    // OS/2 RLE24: refused
};

// "bmp24", "bmp32", "bmp16", "bmp8", "bmp4", "bmp1", "rle8", "rle4", "png",
// "bmp_os2", "bmp_png", "bmp_jpeg", "rle24"; "" for kUnknown.
const char* ImageFormatCode(ImageFormat format);

// What a note says a file is: "a 32-bit BMP", "a top-down 24-bit BMP",
// "an RLE8-compressed BMP", "a PNG file".
std::string ImageFormatWords(ImageFormat format, bool top_down);

// The code of a file that is one of these formats but cannot be decoded.
inline constexpr const char* kCannotDecodeCode = "cannot_decode";

}  // namespace mae::check

#endif  // MAE_CHECK_IMAGE_FORMAT_H
