#include "base64.h"

#include <algorithm>
#include <cstdint>

#ifndef __EMSCRIPTEN__
#include <openssl/evp.h>
#endif

namespace mae::check {

std::string PortableBase64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 3; ++i) {
      group = group << 8 | (i < n ? static_cast<unsigned char>(bytes[at + i]) : 0u);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      text += i <= n ? kDigits[group >> (18 - 6 * i) & 63] : '=';
    }
  }
  return text;
}

#ifdef __EMSCRIPTEN__

std::string Base64(const std::string& bytes) {
  return PortableBase64(bytes);
}

#else

std::string Base64(const std::string& bytes) {
  // EVP_EncodeBlock writes one unbroken line and a terminating NUL; it takes
  // an int length, so longer input goes in pieces of whole 3-byte groups.
  constexpr std::size_t kPiece = std::size_t{3} << 28;
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  std::size_t written = 0;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const std::size_t n = std::min(kPiece, bytes.size() - at);
    written += static_cast<std::size_t>(EVP_EncodeBlock(
        reinterpret_cast<unsigned char*>(&text[written]),
        reinterpret_cast<const unsigned char*>(bytes.data() + at), static_cast<int>(n)));
  }
  text.resize(written);
  return text;
}

#endif  // __EMSCRIPTEN__

}  // namespace mae::check
