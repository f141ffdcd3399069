// A picture in another format than the one the comparison reads, decoded
// from the file's bytes to 24-bit pixels and held in memory as a plain
// bottom-up 24-bit BMP file, so that the comparison, the diagnoses and the
// pictures read it as they read any other file.
#ifndef MAE_CHECK_DECODED_FILE_H
#define MAE_CHECK_DECODED_FILE_H

#include <cstdint>

#include "file_kind.h"
#include "picture_file.h"

namespace mae::check {

// The most pixel bytes a decoded picture may take: 2^31 (24-bit pixels).
inline constexpr std::uint64_t kMostDecodedBytes = std::uint64_t{1} << 31;

// The most pixels a decoded picture has unless --max-pixels says otherwise
// (16384 x 16384; in the web page, whose memory stops at 1 GiB for
// everything, 8192 x 4096, so that an output, its reference and the
// pictures drawn from them fit), and the highest limit --max-pixels may
// set: 2^31 bytes of 24-bit pixels.
#ifdef __EMSCRIPTEN__
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 25;
#else
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{1} << 28;
#endif
inline constexpr std::uint64_t kMostMaxPixels = kMostDecodedBytes / 3;

// Decodes the `size` bytes of a file of a kind that is decoded(). The bytes
// may be a mapping of the file: they are read under the SIGBUS guard, and a
// file that shrinks meanwhile "could not be read". A picture of more than
// `max_pixels` pixels is refused. Reserves the picture's 24-bit size (and a
// few pages more) only once the file has shown it can fill it: its rows are
// all there, its runs are checked, its PNG data is large enough.
Decoding DecodeBytes(const unsigned char* file, std::uint64_t size, const FileKind& kind,
                     std::uint64_t max_pixels = kDefaultMaxPixels);

}  // namespace mae::check

#endif  // MAE_CHECK_DECODED_FILE_H
