#include "decoded_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "bmp_decode.h"
#include "picture_file.h"
#include "png_decode.h"
#include "sigbus_guard.h"

namespace mae::check {

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The BMP decoder's pass, run under the SIGBUS guard: the input is mapped
// and may shrink meanwhile. Without `out`, the pass only checks the runs.
struct BmpPass {
  BmpInfo* info;
  const unsigned char* file;
  std::uint64_t file_size;
  unsigned char* out;
  DecodeFailure failure;
};

void RunBmpPass(void* context) {
  BmpPass& p = *static_cast<BmpPass*>(context);
  p.failure = DecodeBmpPixels(*p.info, p.file, p.file_size, p.out);
}

// A PNG stream inside a BMP file: the bytes from the pixel data's offset.
Decoding DecodeBmpPng(const std::string& path, const BmpInfo& info, std::uint64_t max_pixels) {
  Decoding d;
  std::vector<unsigned char> bytes;
  d.error = ReadWholeFile(path, &bytes);
  if (!d.error.empty()) {
    return d;
  }
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                 std::min<std::size_t>(info.offset, bytes.size())));
  return DecodePngStream(std::move(bytes), ImageFormatWords(info.format, false), max_pixels);
}

Decoding DecodeBmp(const std::string& path, std::uint64_t max_pixels) {
  Decoding d;
  std::uint64_t file_size = 0;
  Fd in(OpenRegular(path, &file_size));
  if (in.get() < 0 || file_size == 0) {
    d.error = "cannot be decoded: " + SystemWords(in.get() < 0 ? errno : EIO);
    return d;
  }
  const Mapping source(::mmap(nullptr, file_size, PROT_READ, MAP_PRIVATE, in.get(), 0),
                       static_cast<std::size_t>(file_size));
  if (source.bytes() == nullptr) {
    d.error = "cannot be decoded: " + SystemWords(errno);
    return d;
  }
  BmpInfo info;
  BmpPass pass{&info, source.bytes(), file_size, nullptr, {}};
  const auto read_info = [](void* context) {
    BmpPass& p = *static_cast<BmpPass*>(context);
    *p.info = ReadBmpInfo(p.file, static_cast<std::size_t>(p.file_size), p.file_size);
  };
  if (RunCatchingSigbus(read_info, &pass) != nullptr || info.format == ImageFormat::kUnknown) {
    d.error = "could not be read";
    return d;
  }
  if (info.format == ImageFormat::kBmpJpeg) {
    d.error = "holds a JPEG stream inside a BMP file, which is not supported";
    return d;
  }
  if (info.format == ImageFormat::kRle24) {
    d.error = "is RLE24-compressed, which is not supported";
    return d;
  }
  if (info.format == ImageFormat::kBmpPng) {
    return DecodeBmpPng(path, info, max_pixels);
  }
  d.error =
      TooLarge(ImageFormatWords(info.format, info.top_down), info.width, info.height, max_pixels);
  if (!d.error.empty()) {
    return d;
  }
  // Rows that lie in place must all be in the file, and runs must be whole,
  // before anything is allocated for them.
  if (!RowsFit(info, file_size)) {
    d.error = DecodeFailureWords(info, {DecodeFailure::kPixelsMissing});
    return d;
  }
  const bool rle = info.format == ImageFormat::kRle8 || info.format == ImageFormat::kRle4;
  if (rle && RunCatchingSigbus(RunBmpPass, &pass) != nullptr) {
    d.error = "could not be read";
    return d;
  }
  if (pass.failure.kind != DecodeFailure::kNone) {
    d.error = DecodeFailureWords(info, pass.failure);
    return d;
  }
  std::unique_ptr<Mapping> out;
  DecodedFile decoded = MakePictureFile(info.width, info.height, &out, &pass.out, &d.error);
  if (decoded.empty()) {
    return d;
  }
  if (RunCatchingSigbus(RunBmpPass, &pass) != nullptr) {
    d.error = "could not be read";
    return d;
  }
  if (pass.failure.kind != DecodeFailure::kNone) {
    d.error = DecodeFailureWords(info, pass.failure);
    return d;
  }
  const std::uint64_t row_bytes = (std::uint64_t{info.width} * info.bits + 7) / 8;
  d.layout = rle ? RowLayout::kNone : row_bytes % 4 == 0 ? RowLayout::kEither : RowLayout::kPadded;
  d.file = std::move(decoded);
  return d;
}

Decoding DecodePng(const std::string& path, std::uint64_t max_pixels) {
  Decoding d;
  std::vector<unsigned char> bytes;
  d.error = ReadWholeFile(path, &bytes);
  if (!d.error.empty()) {
    return d;
  }
  return DecodePngStream(std::move(bytes), ImageFormatWords(ImageFormat::kPng, false), max_pixels);
}

}  // namespace

FileKind IdentifyFile(const std::string& path) {
  FileKind kind;
  std::uint64_t size = 0;
  const Fd fd(OpenRegular(path, &size));
  unsigned char bytes[128] = {};
  const ssize_t n = fd.get() < 0 ? -1 : ::pread(fd.get(), bytes, sizeof bytes, 0);
  if (n < 8) {
    return kind;
  }
  if (std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes)) {
    kind.format = ImageFormat::kPng;
    return kind;
  }
  const BmpInfo info = ReadBmpInfo(bytes, static_cast<std::size_t>(n), size);
  kind.format =
      info.os2 && info.format != ImageFormat::kUnknown ? ImageFormat::kBmpOs2 : info.format;
  kind.top_down = info.top_down;
  return kind;
}

Decoding DecodeFile(const std::string& path, const FileKind& kind, std::uint64_t max_pixels) {
  return kind.format == ImageFormat::kPng ? DecodePng(path, max_pixels)
                                          : DecodeBmp(path, max_pixels);
}

}  // namespace mae::check
