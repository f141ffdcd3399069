// The reasons a BMP file can be refused, and the words for each.
//
// Nothing below the command-line front ends prints: the reader and the
// comparison return one of these, and each front end says it its own way.
// `MAE` prints BmpStatusLine(); `mae-check` shows BmpStatusReason().
#ifndef MAE_STATUS_H
#define MAE_STATUS_H

#include <string>

namespace mae {

enum class BmpStatus {
  kOk,
  kCannotOpen,      // open() failed: missing, no permission, ...
  kNotRegularFile,  // a directory, FIFO, device or the like
  kTooShort,        // fewer than the 30 bytes that hold the fields used
  kNotBmp,          // no "BM" signature, and the header makes no sense either
  kOs2Header,       // the 12-byte OS/2 information header, whose fields are elsewhere
  kTopDown,         // negative height
  kTooWide,         // a width of 2^31 or more
  kPixelsMissing,   // the pixel block the header declares is not all in the file
  kOutOfMemory,     // the pixel block (or a read buffer) cannot be allocated
  kReadError,       // an I/O error, or the file shrank while it was read
  kNot24Bit,        // read, but not 24 bits per pixel: cannot be compared
  kRleCompressed,   // RLE8 or RLE4 pixels: cannot be compared as they lie
};
// How many statuses there are: each has a row of words.
inline constexpr int kBmpStatusCount = static_cast<int>(BmpStatus::kRleCompressed) + 1;

// The line `MAE` prints for a refused file, without the line break:
// " Error: PATH is not a regular file." and so on; "malloc images_s error"
// for kOutOfMemory, which names no path. Empty for kOk.
std::string BmpStatusLine(BmpStatus status, const char* path);

// A short reason in words, without the path and without a final stop:
// "is not a regular file", "cannot be opened", ... Empty for kOk.
const char* BmpStatusReason(BmpStatus status);

// A stable code for scripts: "ok", "cannot_open", "not_regular_file", ...
// Codes are never renamed once published.
const char* BmpStatusCode(BmpStatus status);

}  // namespace mae

#endif  // MAE_STATUS_H
