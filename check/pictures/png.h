// Pictures as PNG files' bytes. The rows are filtered and compressed
// with libdeflate, at twice zlib's speed and a seventh smaller at its
// fastest level (libspng can only use zlib); the chunks around them are a
// signature, IHDR, PLTE for a palette, one IDAT and IEND.
#ifndef MAE_CHECK_PNG_H
#define MAE_CHECK_PNG_H

#include <string>

#include "picture.h"
#include "problem.h"

namespace mae::check {

// How hard the compressor works: kFast for one page looked at now, kSmall
// for a class's pages, kept and copied (a sixth smaller, a third slower).
enum class PngEffort { kFast, kSmall };

// The picture as a PNG file's bytes (8-bit RGB) in *png, or the problem
// (*png untouched).
[[nodiscard]] Problem EncodePng(const Picture& picture, std::string* png,
                                PngEffort effort = PngEffort::kFast);

// A difference picture as PNG bytes, with a palette of its few colours (a
// third of the bytes to compress) where it has no others; decoded, the
// same pixels as EncodePng's.
[[nodiscard]] Problem EncodeDiffPng(const Picture& picture, std::string* png,
                                    PngEffort effort = PngEffort::kFast);

}  // namespace mae::check

#endif  // MAE_CHECK_PNG_H
