// A picture in another format than the one the comparison reads, decoded
// to 24-bit pixels and held in memory as a plain bottom-up 24-bit BMP file,
// so that the comparison, the diagnoses and the pictures read it as they
// read any other file.
#ifndef MAE_CHECK_DECODED_FILE_H
#define MAE_CHECK_DECODED_FILE_H

#include <cstdint>
#include <optional>
#include <string>

#include "bmp_header.h"
#include "image_format.h"

namespace mae::check {

// The most pixel bytes a decoded picture may take: 2^31 (24-bit pixels).
inline constexpr std::uint64_t kMostDecodedBytes = std::uint64_t{1} << 31;

// What a file is, from its first bytes.
struct FileKind {
  ImageFormat format = ImageFormat::kUnknown;
  bool top_down = false;

  // It is read through a decoded copy: every known format but a plain
  // bottom-up 24-bit BMP.
  bool decoded() const {
    return format != ImageFormat::kUnknown && (format != ImageFormat::kBmp24 || top_down);
  }
};

// The kind of the file at `path`. kUnknown where it cannot be read or is
// none of the formats decoded: the comparison then reads it as it is and
// says what is wrong with it. Never blocks (a FIFO is not read).
FileKind IdentifyFile(const std::string& path);

// A decoded picture: an anonymous in-memory file that goes when this goes.
class DecodedFile {
 public:
  DecodedFile() = default;
  explicit DecodedFile(int fd) : fd_(fd) {}
  DecodedFile(DecodedFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  DecodedFile& operator=(DecodedFile&& other) noexcept;
  DecodedFile(const DecodedFile&) = delete;
  DecodedFile& operator=(const DecodedFile&) = delete;
  ~DecodedFile();

  bool empty() const { return fd_ < 0; }
  // A path that opens it, for as long as it lives: /proc/self/fd/N.
  std::string path() const;

 private:
  int fd_ = -1;
};

struct Decoding {
  DecodedFile file;                     // empty when it could not be decoded
  std::string error;                    // then why, after "output PATH "
  RowLayout layout = RowLayout::kNone;  // of the original's rows; kNone for RLE and PNG
};

// Decodes the file at `path`, of a kind that is decoded(). Allocates at most
// the picture's 24-bit size (checked against kMostDecodedBytes first) and a
// few pages more.
Decoding DecodeFile(const std::string& path, const FileKind& kind);

}  // namespace mae::check

#endif  // MAE_CHECK_DECODED_FILE_H
