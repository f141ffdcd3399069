#include "bmp_reader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "bmp_file.h"

namespace {

// The header fields the reader uses end at byte 30 (bits per pixel, 28-29).
constexpr std::size_t kFieldsEnd = 30;

std::uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t ReadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The size of a width x height block of bytes_per_pixel-byte pixels, or
// false when it does not fit in 64 bits. width x height always does; the
// factor bytes_per_pixel may not.
bool BlockSize(std::uint32_t width, std::uint32_t height, std::uint16_t bytes_per_pixel,
               std::uint64_t* size) {
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
  if (bytes_per_pixel != 0 &&
      pixels > std::numeric_limits<std::uint64_t>::max() / bytes_per_pixel) {
    return false;
  }
  *size = pixels * bytes_per_pixel;
  return true;
}

void PutLe(unsigned char* p, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    p[i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

// Allocates a pixel block that std::free releases. A large block is aligned
// to 2 MiB and asks the kernel for transparent huge pages: reading into it
// then faults in one 2 MiB page at a time instead of 512 small ones, which
// is most of the cost of loading a large image from the page cache.
unsigned char* AllocateBlock(std::size_t size) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size < kHugePage) {
    return static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
  }
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, size) != 0) {
    return nullptr;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(block, size / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
  return static_cast<unsigned char*>(block);
}

// Closes the reader's stream on every way out of ReadBMP.
class StreamGuard {
 public:
  explicit StreamGuard(std::FILE*& fp) : fp_(fp) {}
  StreamGuard(const StreamGuard&) = delete;
  StreamGuard& operator=(const StreamGuard&) = delete;
  ~StreamGuard() {
    if (fp_ != nullptr) {
      std::fclose(fp_);
      fp_ = nullptr;
    }
  }

 private:
  std::FILE*& fp_;
};

}  // namespace

void PrintPathError(const char* path, const char* what) {
  std::printf(" Error: %s %s\n", path, what);
}

BmpFile::~BmpFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

int BmpFile::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
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

bool BmpFile::Open(BmpReader& reader, const char* path) {
  // O_NONBLOCK keeps the open of a FIFO without a writer (or of a device)
  // from hanging; only regular files are read, and those never block.
  fd_ = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) {
    PrintPathError(path, "not exist.");
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    PrintPathError(path, "is not a regular file.");
    return false;
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags != -1) {
    ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  }

  const auto file_bytes = static_cast<std::uint64_t>(st.st_size);
  if (file_bytes < kFieldsEnd) {
    PrintPathError(path, "is too short to be a BMP file.");
    return false;
  }
  unsigned char fields[kFieldsEnd];
  if (!ReadAt(0, fields, kFieldsEnd)) {
    PrintPathError(path, "could not be read.");
    return false;
  }
  reader.offset = ReadLe32(fields + 10);
  reader.width = ReadLe32(fields + 18);
  reader.height = ReadLe32(fields + 22);
  reader.bit_count = ReadLe16(fields + 28);
  reader.bytes_per_pixel = static_cast<std::uint16_t>(reader.bit_count >> 3);

  if (reader.height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    PrintPathError(path, "is a top-down BMP, which is not supported.");
    return false;
  }
  // Checked against the file's size before anything is allocated: no
  // header, however large its numbers, makes a reader allocate more than
  // the file holds.
  if (!BlockSize(reader.width, reader.height, reader.bytes_per_pixel, &block_size_) ||
      reader.offset > file_bytes || block_size_ > file_bytes - reader.offset) {
    PrintPathError(path, "holds less pixel data than its header declares.");
    return false;
  }
  // The pixels are read front to back: let the kernel read ahead.
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

unsigned char* BmpReader::ReadBMP(const char* fname_s, std::int32_t* out_width,
                                  std::int32_t* out_height) {
  // Header for a 24-bit image whose pixel block follows the header; the
  // writer fills in the size, width, height and bit count.
  static unsigned char tmp_header[54] = {
      0x42, 0x4D, 0, 0, 0, 0, 0, 0, 0, 0,  // "BM", file size, reserved
      54,   0,    0, 0,                    // pixel-block offset
      40,   0,    0, 0,                    // information-header size
      0,    0,    0, 0, 0, 0, 0, 0,        // width, height
      1,    0,                             // colour planes
      24,   0,                             // bits per pixel
  };
  fp_s = nullptr;
  images_s = nullptr;
  header = tmp_header;

  BmpFile file;
  if (!file.Open(*this, fname_s)) {
    return nullptr;
  }
  const std::uint64_t block_size = file.block_size();

  BmpBlock block;
  if (block_size <= std::numeric_limits<std::size_t>::max() - 1) {
    // At least one byte, so that an empty block is still a valid pointer.
    block.reset(AllocateBlock(static_cast<std::size_t>(block_size)));
  }
  if (!block) {
    std::puts("malloc images_s error");
    return nullptr;
  }

  if (block_size != 0) {
    // The pixel block in one read, straight from the file into the block:
    // the stream is unbuffered, so nothing is copied through a buffer.
    const int fd = file.Release();
    fp_s = ::fdopen(fd, "rb");
    if (fp_s == nullptr) {
      ::close(fd);
    }
    StreamGuard guard(fp_s);
    if (fp_s == nullptr || std::setvbuf(fp_s, nullptr, _IONBF, 0) != 0 ||
        ::fseeko(fp_s, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fread(block.get(), 1, static_cast<std::size_t>(block_size), fp_s) != block_size) {
      PrintPathError(fname_s, "could not be read.");
      return nullptr;
    }
  }

  if (out_width != nullptr) {
    *out_width = static_cast<std::int32_t>(width);
  }
  if (out_height != nullptr) {
    *out_height = static_cast<std::int32_t>(height);
  }
  images_s = block.release();
  return images_s;
}

std::int32_t BmpReader::WriteBMP(const char* fname_t, std::int32_t width_arg,
                                 std::int32_t height_arg, const unsigned char* data) {
  constexpr std::size_t kHeaderSize = 54;
  fp_t = nullptr;
  if (header == nullptr) {
    std::puts("header fname_t error");
    return -1;
  }
  // Everything is checked before the file is touched, so a refused write
  // leaves whatever was at that path as it was.
  std::uint64_t block_size = 0;
  if (width_arg != static_cast<std::int32_t>(width) ||
      height_arg != static_cast<std::int32_t>(height) ||
      !BlockSize(width, height, bytes_per_pixel, &block_size) ||
      block_size > std::numeric_limits<std::uint32_t>::max() - kHeaderSize ||
      (data == nullptr && block_size != 0)) {
    std::puts("size fname_t error");
    return -1;
  }

  fp_t = std::fopen(fname_t, "wb");
  if (fp_t == nullptr) {
    std::puts("fopen fname_t error");
    return -1;
  }
  std::setvbuf(fp_t, nullptr, _IONBF, 0);  // two writes, straight from our memory

  file_size = static_cast<std::uint32_t>(kHeaderSize + block_size);
  PutLe(header + 2, file_size, 4);
  PutLe(header + 18, width, 4);
  PutLe(header + 22, height, 4);
  header[28] = static_cast<unsigned char>(bit_count & 0xFFu);

  bool ok = std::fwrite(header, 1, kHeaderSize, fp_t) == kHeaderSize;
  if (ok && block_size != 0) {
    ok = std::fwrite(data, 1, static_cast<std::size_t>(block_size), fp_t) == block_size;
  }
  struct stat st {};
  const bool regular = ::fstat(::fileno(fp_t), &st) == 0 && S_ISREG(st.st_mode);
  ok = (std::fclose(fp_t) == 0) && ok;
  fp_t = nullptr;
  if (!ok) {
    // A cut-short image must not pass for a good one. Only a regular file
    // we just wrote is removed; a device such as /dev/full stays.
    if (regular) {
      std::remove(fname_t);
    }
    std::puts("fwrite fname_t error");
    return -1;
  }
  return 0;
}
