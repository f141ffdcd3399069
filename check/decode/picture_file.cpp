#include "picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace mae::check {

namespace {

constexpr std::size_t kHeaderBytes = 54;

void PutLe32(unsigned char* p, std::uint64_t value) {
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

}  // namespace

DecodedFile& DecodedFile::operator=(DecodedFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

DecodedFile::~DecodedFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

Fd::~Fd() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

Mapping::~Mapping() {
  if (at_ != nullptr) {
    ::munmap(at_, size_);
  }
}

std::string SystemWords(int error) {
  return std::error_code(error, std::generic_category()).message();
}

namespace {

#ifdef __EMSCRIPTEN__
// The web page's files are memory already: a file of its in-memory file
// system serves, and needs no reserving. It keeps its name, as that file
// system finds an open file's size by its name; the page removes these
// files after every check.
int MemoryFile() {
  char name[] = "/tmp/mae-check-decoded-XXXXXX";
  return ::mkstemp(name);
}

int Reserve(int, off_t) {
  return 0;
}
#else
int MemoryFile() {
  return ::memfd_create("mae-check-decoded", MFD_CLOEXEC);
}

int Reserve(int fd, off_t size) {
  return ::fallocate(fd, 0, 0, size);
}
#endif

}  // namespace

DecodedFile MakePictureFile(std::uint32_t width, std::uint32_t height,
                            std::unique_ptr<Mapping>* mapping, unsigned char** pixels,
                            std::string* error) {
  const std::uint64_t bytes = std::uint64_t{width} * height * 3;
  const std::uint64_t size = kHeaderBytes + bytes;
  Fd fd(MemoryFile());
  // The pages are reserved up front: writing into a mapping of a full
  // memory file system would raise SIGBUS.
  if (fd.get() < 0 || ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0 ||
      Reserve(fd.get(), static_cast<off_t>(size)) != 0) {
    *error = "cannot be decoded: " + SystemWords(errno);
    return {};
  }
  // Every page is written at once: mapped in one go rather than a fault a
  // page.
  // At most kMostDecodedBytes and a header (the callers' limit): it fits a
  // size_t, 32-bit in the web page's build included.
  const auto length = static_cast<std::size_t>(size);
  *mapping = std::make_unique<Mapping>(
      ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd.get(), 0),
      length);
  unsigned char* file = (*mapping)->bytes();
  if (file == nullptr) {
    *error = "cannot be decoded: " + SystemWords(errno);
    return {};
  }
  const unsigned char header[kHeaderBytes] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                              0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0,  1, 0, 24, 0};
  std::copy_n(header, kHeaderBytes, file);
  PutLe32(file + 2, size);
  PutLe32(file + 18, width);
  PutLe32(file + 22, height);
  *pixels = file + kHeaderBytes;
  return DecodedFile(fd.release());
}

std::string TooLarge(const std::string& what, std::uint64_t width, std::uint64_t height,
                     std::uint64_t max_pixels) {
  // Both below 2^32: no overflow.
  const std::uint64_t pixels = width * height;
  if (pixels <= max_pixels) {
    return {};
  }
  return "is " + what + " too large to decode: " + std::to_string(pixels) +
         " pixels, more than the limit of " + std::to_string(max_pixels) + " (--max-pixels)";
}

}  // namespace mae::check
