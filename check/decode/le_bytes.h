// Little-endian fields of a BMP header.
#ifndef MAE_CHECK_LE_BYTES_H
#define MAE_CHECK_LE_BYTES_H

#include <cstdint>

namespace mae::check {

inline std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

inline std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace mae::check

#endif  // MAE_CHECK_LE_BYTES_H
