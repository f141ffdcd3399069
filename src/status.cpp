#include "status.h"

#include <iterator>

#include "enum_table.h"

namespace mae {

namespace {

struct StatusWords {
  BmpStatus status;
  const char* line;    // what follows " Error: PATH " in the tool's line
  const char* reason;  // the same, said without the tool's historic wording
  const char* code;    // for scripts
};

// One row per status, in the enum's order.
constexpr StatusWords kWords[] = {
    {BmpStatus::kOk, "", "", "ok"},
    {BmpStatus::kCannotOpen, "not exist.", "cannot be opened", "cannot_open"},
    {BmpStatus::kNotRegularFile, "is not a regular file.", "is not a regular file",
     "not_regular_file"},
    {BmpStatus::kTooShort, "is too short to be a BMP file.", "is too short to be a BMP file",
     "too_short"},
    {BmpStatus::kNotBmp, "is not a BMP file.", "is not a BMP file", "not_bmp"},
    {BmpStatus::kOs2Header, "has an OS/2 header, which is not supported.",
     "has an OS/2 header, which is not supported", "os2_header"},
    {BmpStatus::kTopDown, "is a top-down BMP, which is not supported.",
     "is a top-down BMP, which is not supported", "top_down"},
    {BmpStatus::kTooWide, "is wider than 2147483647 pixels, which is not supported.",
     "is wider than 2147483647 pixels, which is not supported", "too_wide"},
    {BmpStatus::kPixelsMissing, "holds less pixel data than its header declares.",
     "holds less pixel data than its header declares", "pixels_missing"},
    {BmpStatus::kOutOfMemory, "", "cannot be read: not enough memory", "out_of_memory"},
    {BmpStatus::kReadError, "could not be read.", "could not be read", "read_error"},
    {BmpStatus::kNot24Bit, "is not a 24-bit image.", "is not a 24-bit image", "not_24_bit"},
    {BmpStatus::kRleCompressed, "is RLE-compressed, which is not supported.",
     "is RLE-compressed, which is not supported", "rle_compressed"},
};

static_assert(InEnumOrder(kWords, &StatusWords::status) && std::size(kWords) == kBmpStatusCount,
              "one row per status, in the enum's order");

const StatusWords& WordsFor(BmpStatus status) {
  return RowFor(kWords, status);
}

}  // namespace

std::string BmpStatusLine(BmpStatus status, const char* path) {
  if (status == BmpStatus::kOk) {
    return {};
  }
  if (status == BmpStatus::kOutOfMemory) {
    return "malloc images_s error";
  }
  return std::string(" Error: ") + path + " " + WordsFor(status).line;
}

const char* BmpStatusReason(BmpStatus status) {
  return WordsFor(status).reason;
}

const char* BmpStatusCode(BmpStatus status) {
  return WordsFor(status).code;
}

}  // namespace mae
