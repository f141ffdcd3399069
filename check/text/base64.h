// Base64 for the pictures embedded in pages and documents.
#ifndef MAE_CHECK_BASE64_H
#define MAE_CHECK_BASE64_H

#include <string>

namespace mae::check {

// RFC 4648 base64 of `bytes`, without line breaks.
std::string Base64(const std::string& bytes);

// The same, a 3-byte group at a time, for the web page's build, which has
// no libcrypto (Base64 is this there).
std::string PortableBase64(const std::string& bytes);

}  // namespace mae::check

#endif  // MAE_CHECK_BASE64_H
