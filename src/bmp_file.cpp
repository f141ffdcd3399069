#include "bmp_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <utility>

namespace {

// A padded file is read through a buffer of this size, whole rows at a
// time, and its rows copied out without their padding.
constexpr std::size_t kPaddedChunk = std::size_t{256} << 10;

}  // namespace

BmpFile::~BmpFile() {
  if (mapped_ != nullptr) {
    ::munmap(const_cast<unsigned char*>(mapped_), static_cast<std::size_t>(size_));
  }
  if (fd_ >= 0) {
    ::close(fd_);
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

BmpStatus BmpFile::Open(const char* path) {
  // O_NONBLOCK keeps the open of a FIFO without a writer (or of a device)
  // from hanging; only regular files are read, and those never block.
  fd_ = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    open_error_ = errno;
    return BmpStatus::kCannotOpen;
  }
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
  unsigned char fields[kBmpFieldsEnd];
  if (!ReadAt(0, fields, sizeof fields)) {
    return BmpStatus::kReadError;
  }
  // Checked against the file's size before anything is allocated: no
  // header, however large its numbers, makes a reader allocate more than
  // the file holds.
  const BmpStatus status = ParseBmpHeader(fields, sizeof fields, file_size, &header_);
  fields_read_ = true;
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
  void* map = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_PRIVATE, fd_, 0);
  if (map == MAP_FAILED) {
    return false;
  }
  mapped_ = static_cast<const unsigned char*>(map);
  return true;
}

BmpStatus BmpFile::ReadBlock(unsigned char* out) const {
  const BmpHeader& h = header_;
  if (!h.padded()) {
    // One read, straight from the file into the block.
    return ReadAt(h.offset, out, static_cast<std::size_t>(h.block_size)) ? BmpStatus::kOk
                                                                         : BmpStatus::kReadError;
  }
  const auto row = static_cast<std::size_t>(h.row_bytes);
  if (h.stride > kPaddedChunk) {
    // Long rows: one read each, straight into place.
    for (std::uint64_t r = 0; r < h.height; ++r) {
      if (!ReadAt(h.offset + r * h.stride, out + r * row, row)) {
        return BmpStatus::kReadError;
      }
    }
    return BmpStatus::kOk;
  }
  const std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kPaddedChunk]);
  if (!buffer) {
    return BmpStatus::kOutOfMemory;
  }
  const std::uint64_t rows_per_read = kPaddedChunk / h.stride;
  for (std::uint64_t r = 0; r < h.height; r += rows_per_read) {
    const std::uint64_t rows = std::min<std::uint64_t>(rows_per_read, h.height - r);
    // The last row of the file may lack its padding, so stop at its end.
    const auto span = static_cast<std::size_t>(h.stride * (rows - 1) + row);
    if (!ReadAt(h.offset + r * h.stride, buffer.get(), span)) {
      return BmpStatus::kReadError;
    }
    for (std::uint64_t i = 0; i < rows; ++i) {
      std::copy_n(buffer.get() + i * h.stride, row, out + (r + i) * row);
    }
  }
  return BmpStatus::kOk;
}

unsigned char* AllocateBlock(std::uint64_t size) {
  // A large block is aligned to 2 MiB and asks the kernel for transparent
  // huge pages: reading into it then faults in one 2 MiB page at a time
  // instead of 512 small ones, which is most of the cost of loading a large
  // image from the page cache.
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size > std::numeric_limits<std::size_t>::max() - kHugePage) {
    return nullptr;
  }
  const auto bytes = static_cast<std::size_t>(size);
  if (bytes < kHugePage) {
    return static_cast<unsigned char*>(std::malloc(bytes == 0 ? 1 : bytes));
  }
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, bytes) != 0) {
    return nullptr;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(block, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
  return static_cast<unsigned char*>(block);
}

LoadedBmp LoadBmp(const char* path) {
  LoadedBmp loaded;
  BmpFile file;
  loaded.status = file.Open(path);
  loaded.open_error = file.open_error();
  loaded.fields_read = file.fields_read();
  loaded.header = file.header();
  if (loaded.status != BmpStatus::kOk) {
    return loaded;
  }
  OwnedBlock block(AllocateBlock(loaded.header.block_size));
  if (!block) {
    loaded.status = BmpStatus::kOutOfMemory;
    return loaded;
  }
  if (loaded.header.block_size != 0) {
    loaded.status = file.ReadBlock(block.get());
    if (loaded.status != BmpStatus::kOk) {
      return loaded;
    }
  }
  loaded.pixels = std::move(block);
  return loaded;
}
