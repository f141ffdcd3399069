// A 24-bit picture as the rest of mae-check reads it, in place: a file's
// mapped rows or a decoded copy's.
#ifndef MAE_CHECK_IMAGE_VIEW_H
#define MAE_CHECK_IMAGE_VIEW_H

#include <cstddef>
#include <cstdint>

#include "bmp_header.h"

namespace mae::check {

// Blue, green and red bytes, bottom row first, `stride` bytes from one row
// to the next (0: packed rows).
struct ImageView {
  const unsigned char* pixels = nullptr;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t stride = 0;

  const unsigned char* row(std::size_t file_row) const {
    return pixels + file_row * (stride != 0 ? stride : std::size_t{width} * kComparedPixelBytes);
  }
};

}  // namespace mae::check

#endif  // MAE_CHECK_IMAGE_VIEW_H
