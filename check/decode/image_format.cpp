#include "image_format.h"

#include <cstddef>
#include <iterator>

#include "enum_table.h"

namespace mae::check {

namespace {

struct FormatWords {
  ImageFormat format;
  const char* code;
  const char* words;  // after "a" or "an"
  const char* article;
};

// One row per format, in the enum's order.
constexpr FormatWords kFormats[] = {
    {ImageFormat::kUnknown, "", "", ""},
    {ImageFormat::kBmp24, "bmp24", "24-bit BMP", "a"},
    {ImageFormat::kBmp32, "bmp32", "32-bit BMP", "a"},
    {ImageFormat::kBmp16, "bmp16", "16-bit BMP", "a"},
    {ImageFormat::kBmp8, "bmp8", "8-bit BMP with a palette", "an"},
    {ImageFormat::kBmp4, "bmp4", "4-bit BMP with a palette", "a"},
    {ImageFormat::kBmp1, "bmp1", "1-bit BMP with a palette", "a"},
    {ImageFormat::kRle8, "rle8", "RLE8-compressed BMP", "an"},
    {ImageFormat::kRle4, "rle4", "RLE4-compressed BMP", "an"},
    {ImageFormat::kPng, "png", "PNG file", "a"},
    {ImageFormat::kBmpOs2, "bmp_os2", "OS/2 BMP", "an"},
    {ImageFormat::kBmpPng, "bmp_png", "BMP holding a PNG stream", "a"},
    {ImageFormat::kBmpJpeg, "bmp_jpeg", "BMP holding a JPEG stream", "a"},
    {ImageFormat::kRle24, "rle24", "RLE24-compressed BMP", "an"},
};

static_assert(InEnumOrder(kFormats, &FormatWords::format) &&
                  std::size(kFormats) == static_cast<std::size_t>(ImageFormat::kRle24) + 1,
              "one row per format, in the enum's order");

const FormatWords& RowOf(ImageFormat format) {
  return RowFor(kFormats, format);
}

}  // namespace

const char* ImageFormatCode(ImageFormat format) {
  return RowOf(format).code;
}

std::string ImageFormatWords(ImageFormat format, bool top_down) {
  const FormatWords& row = RowOf(format);
  return top_down ? std::string("a top-down ") + row.words
                  : std::string(row.article) + " " + row.words;
}

}  // namespace mae::check
