// SHA-256, as a Content-Security-Policy names an inline script or style by
// its hash ('sha256-BASE64'). The command line only: the web page's build
// has no libcrypto and writes no page.
#ifndef MAE_CHECK_DIGEST_H
#define MAE_CHECK_DIGEST_H

#include <string>

namespace mae::check {

// The SHA-256 of `bytes`, in base64 (44 characters).
std::string Sha256Base64(const std::string& bytes);

}  // namespace mae::check

#endif  // MAE_CHECK_DIGEST_H
