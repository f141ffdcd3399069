#include "file_kind.h"

#include <algorithm>
#include <iterator>

#include "bmp_decode.h"

namespace mae::check {

FileKind IdentifyBytes(const unsigned char* bytes, std::size_t size, std::uint64_t file_size) {
  static constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  FileKind kind;
  if (size < 8) {
    return kind;
  }
  if (std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes)) {
    kind.format = ImageFormat::kPng;
    return kind;
  }
  const BmpInfo info = ReadBmpInfo(bytes, std::min(size, kIdentifyBytes), file_size);
  kind.format =
      info.os2 && info.format != ImageFormat::kUnknown ? ImageFormat::kBmpOs2 : info.format;
  kind.top_down = info.top_down;
  return kind;
}

}  // namespace mae::check
