// The pieces the decoders share: the in-memory 24-bit BMP file a picture
// is decoded into, a file descriptor and a mapping that let go of
// themselves.
#ifndef MAE_CHECK_PICTURE_FILE_H
#define MAE_CHECK_PICTURE_FILE_H

#include <sys/mman.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "bmp_header.h"

namespace mae::check {

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
  // Its file descriptor, for a reader that takes it over (the file goes
  // when that closes it).
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

struct Decoding {
  DecodedFile file;                     // empty when it could not be decoded
  std::string error;                    // then why, after "output PATH "
  RowLayout layout = RowLayout::kNone;  // of the original's rows; kNone for RLE and PNG
};

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd();
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// A mapping that unmaps itself.
class Mapping {
 public:
  Mapping(void* at, std::size_t size) : at_(at == MAP_FAILED ? nullptr : at), size_(size) {}
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  ~Mapping();
  unsigned char* bytes() const { return static_cast<unsigned char*>(at_); }

 private:
  void* at_;
  std::size_t size_;
};

// The system's words for an errno value.
std::string SystemWords(int error);

// The in-memory file of a width x height 24-bit picture: its header
// written, its pixels (bottom row first, packed) to be filled through
// *pixels, mapped until *mapping goes. Empty, with the reason, when there
// is no memory for it.
DecodedFile MakePictureFile(std::uint32_t width, std::uint32_t height,
                            std::unique_ptr<Mapping>* mapping, unsigned char** pixels,
                            std::string* error);

// "" when a width x height picture is within `max_pixels`; else why it is
// not decoded, after "output PATH ": "is WHAT too large to decode: ...".
std::string TooLarge(const std::string& what, std::uint64_t width, std::uint64_t height,
                     std::uint64_t max_pixels);

}  // namespace mae::check

#endif  // MAE_CHECK_PICTURE_FILE_H
