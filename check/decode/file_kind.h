// Telling what a file is from its first bytes: one of the formats that
// mae-check decodes, or none.
#ifndef MAE_CHECK_FILE_KIND_H
#define MAE_CHECK_FILE_KIND_H

#include <cstddef>
#include <cstdint>

#include "image_format.h"

namespace mae::check {

// What a file is, from its first bytes.
struct FileKind {
  ImageFormat format = ImageFormat::kUnknown;
  bool top_down = false;

  // It is read through a decoded copy: every known format but a plain
  // bottom-up 24-bit BMP.
  bool decoded() const {
    return format != ImageFormat::kUnknown && (format != ImageFormat::kBmp24 || top_down);
  }
};

// The most of a file's first bytes that IdentifyBytes reads.
inline constexpr std::size_t kIdentifyBytes = 128;

// The kind of a file of `file_size` bytes from its first `size` bytes (up
// to kIdentifyBytes): kUnknown where it is none of the formats decoded, and
// the comparison then reads it as it is and says what is wrong with it.
FileKind IdentifyBytes(const unsigned char* bytes, std::size_t size, std::uint64_t file_size);

}  // namespace mae::check

#endif  // MAE_CHECK_FILE_KIND_H
