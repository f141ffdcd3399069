#include "decoded_file.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "bmp_decode.h"
#include "picture_file.h"
#include "png_decode.h"
#include "sigbus_guard.h"

namespace mae::check {

namespace {

// The BMP decoder's pass, run under the SIGBUS guard: the input may be a
// mapping of a file that shrinks meanwhile. Without `out`, the pass only
// checks the runs.
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

// A copy of the bytes from `from` on, which a PNG decode reads (and trims)
// as its own; false when the source shrank meanwhile.
struct CopyPass {
  const unsigned char* file;
  unsigned char* out;
  std::size_t size;
};

bool CopyBytes(const unsigned char* file, std::uint64_t size, std::uint64_t from,
               std::vector<unsigned char>* out) {
  out->resize(static_cast<std::size_t>(size - std::min(from, size)));
  CopyPass pass{file + (size - out->size()), out->data(), out->size()};
  return RunCatchingSigbus(
             [](void* context) {
               const CopyPass& p = *static_cast<CopyPass*>(context);
               std::copy_n(p.file, p.size, p.out);
             },
             &pass) == nullptr;
}

Decoding DecodePng(const unsigned char* file, std::uint64_t size, std::uint64_t from,
                   ImageFormat format, std::uint64_t max_pixels) {
  Decoding d;
  std::vector<unsigned char> bytes;
  if (!CopyBytes(file, size, from, &bytes)) {
    d.error = "could not be read";
    return d;
  }
  return DecodePngStream(std::move(bytes), ImageFormatWords(format, false), max_pixels);
}

Decoding DecodeBmp(const unsigned char* file, std::uint64_t file_size, std::uint64_t max_pixels) {
  Decoding d;
  BmpInfo info;
  BmpPass pass{&info, file, file_size, nullptr, {}};
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
    // A PNG stream inside a BMP file: the bytes from the pixel data's offset.
    return DecodePng(file, file_size, info.offset, info.format, max_pixels);
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

}  // namespace

Decoding DecodeBytes(const unsigned char* file, std::uint64_t size, const FileKind& kind,
                     std::uint64_t max_pixels) {
  if (size == 0) {
    Decoding d;
    d.error = "could not be read";
    return d;
  }
  return kind.format == ImageFormat::kPng ? DecodePng(file, size, 0, kind.format, max_pixels)
                                          : DecodeBmp(file, size, max_pixels);
}

}  // namespace mae::check
