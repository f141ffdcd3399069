#include "bmp_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

namespace mae {

BmpFile::BmpFile(BmpFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(other.size_),
      mapped_(std::exchange(other.mapped_, nullptr)),
      outcome_(other.outcome_) {}

BmpFile& BmpFile::operator=(BmpFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
    mapped_ = std::exchange(other.mapped_, nullptr);
    outcome_ = other.outcome_;
  }
  return *this;
}

BmpFile::~BmpFile() {
  Close();
}

void BmpFile::Close() {
  if (mapped_ != nullptr) {
    ::munmap(const_cast<unsigned char*>(mapped_), static_cast<std::size_t>(size_));
    mapped_ = nullptr;
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool BmpFile::ReadAt(std::uint64_t position, unsigned char* out, std::size_t size) const {
  while (size > 0) {
    const ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(position));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    out += n;
    size -= static_cast<std::size_t>(n);
    position += static_cast<std::uint64_t>(n);
  }
  return true;
}

const FileOutcome& BmpFile::Open(const char* path) {
  // O_NONBLOCK keeps the open of a FIFO without a writer (or of a device)
  // from hanging; only regular files are read, and those never block.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    Close();
    outcome_ = FileOutcome();
    outcome_.open_error = errno;
    outcome_.status = BmpStatus::kCannotOpen;
    return outcome_;
  }
  return Adopt(fd);
}

const FileOutcome& BmpFile::Adopt(int fd) {
  Close();
  fd_ = fd;
  size_ = 0;
  outcome_ = FileOutcome();
  outcome_.status = Check();
  return outcome_;
}

BmpStatus BmpFile::Check() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    return BmpStatus::kNotRegularFile;
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags != -1) {
    ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  }
  const auto file_size = static_cast<std::uint64_t>(st.st_size);
  size_ = file_size;
  if (file_size < kBmpFieldsEnd) {
    return BmpStatus::kTooShort;
  }
  unsigned char fields[kBmpHeaderRead];
  const auto read = static_cast<std::size_t>(std::min<std::uint64_t>(file_size, sizeof fields));
  if (!ReadAt(0, fields, read)) {
    return BmpStatus::kReadError;
  }
  // Checked against the file's size before anything is allocated: no
  // header, however large its numbers, makes a reader allocate more than
  // the file holds.
  const BmpStatus status = ParseBmpHeader(fields, read, file_size, &outcome_.header);
  outcome_.fields_read = true;
  if (status == BmpStatus::kOk) {
    // The pixels are read front to back: let the kernel read ahead.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return status;
}

bool BmpFile::Map() {
  if (mapped_ != nullptr) {
    return true;
  }
  if (fd_ < 0 || size_ == 0 || size_ > std::numeric_limits<std::size_t>::max()) {
    return false;
  }
  // Every reader reads the whole mapping (the comparison every row, a
  // decoder every byte): mapped in one go rather than a fault a page.
  void* map = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ,
                     MAP_PRIVATE | MAP_POPULATE, fd_, 0);
  if (map == MAP_FAILED) {
    return false;
  }
  mapped_ = static_cast<const unsigned char*>(map);
  return true;
}

bool BmpFile::Holds(const void* address) const {
  const auto* byte = static_cast<const unsigned char*>(address);
  return mapped_ != nullptr && byte >= mapped_ && byte < mapped_ + size_;
}

namespace {

const char* OtherFormatName(OtherFormat format) {
  switch (format) {
    case OtherFormat::kPng:
      return "PNG";
    case OtherFormat::kJpeg:
      return "JPEG";
    case OtherFormat::kGif:
      return "GIF";
    case OtherFormat::kNone:
      break;
  }
  return nullptr;
}

// The precise words for a file, without the final period; "" where the
// status's own words say it.
std::string PreciseWords(const FileOutcome& file) {
  if (!file.fields_read) {
    return {};
  }
  if (file.status == BmpStatus::kNot24Bit) {
    const std::string bits = std::to_string(file.header.bit_count);
    // "an 8-bit", "an 11-bit", "an 18-bit": numbers said with a vowel first.
    const bool vowel =
        bits[0] == '8' ||
        (bits.size() % 3 == 2 && (bits.compare(0, 2, "11") == 0 || bits.compare(0, 2, "18") == 0));
    return std::string(vowel ? "is an " : "is a ") + bits + "-bit image, which is not supported";
  }
  const char* other = OtherFormatName(file.header.other_format);
  if (file.status == BmpStatus::kNotBmp && other != nullptr) {
    return std::string("is a ") + other + " file, not a BMP file";
  }
  return {};
}

}  // namespace

std::string FileStatusLine(const FileOutcome& file, const char* path) {
  const std::string words = PreciseWords(file);
  return words.empty() ? BmpStatusLine(file.status, path)
                       : std::string(" Error: ") + path + " " + words + ".";
}

std::string FileStatusReason(const FileOutcome& file) {
  const std::string words = PreciseWords(file);
  return words.empty() ? std::string(BmpStatusReason(file.status)) : words;
}

}  // namespace mae
