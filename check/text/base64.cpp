#include "base64.h"

#include <openssl/evp.h>

#include <algorithm>

namespace mae::check {

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

}  // namespace mae::check
