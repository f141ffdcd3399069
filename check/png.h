// Pictures as PNG files' bytes, with libspng.
#ifndef MAE_CHECK_PNG_H
#define MAE_CHECK_PNG_H

#include <string>

#include "picture.h"

// The picture as a PNG file's bytes (8-bit RGB), or an empty string with
// the reason in *error.
std::string EncodePng(const Picture& picture, std::string* error);

// A difference picture as PNG bytes, with a palette of its few colours (a
// third of the bytes to compress) where it has no others; decoded, the
// same pixels as EncodePng's.
std::string EncodeDiffPng(const Picture& picture, std::string* error);

#endif  // MAE_CHECK_PNG_H
