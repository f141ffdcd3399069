#include "digest.h"

#ifndef __EMSCRIPTEN__

#include <openssl/evp.h>

#include "base64.h"

namespace mae::check {

std::string Sha256Base64(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  return Base64(std::string(reinterpret_cast<const char*>(digest), size));
}

}  // namespace mae::check

#endif  // __EMSCRIPTEN__
