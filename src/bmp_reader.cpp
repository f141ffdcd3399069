#include "bmp_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>

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

void PrintPathError(const char* path, const char* what) {
  std::printf(" Error: %s %s\n", path, what);
}

}  // namespace

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

  // O_NONBLOCK keeps the open of a FIFO without a writer (or of a device)
  // from hanging; only regular files are read, and those never block.
  const int fd = ::open(fname_s, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    PrintPathError(fname_s, "not exist.");
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    PrintPathError(fname_s, "is not a regular file.");
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags != -1) {
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  fp_s = ::fdopen(fd, "rb");
  if (fp_s == nullptr) {
    ::close(fd);
    PrintPathError(fname_s, "could not be read.");
    return nullptr;
  }
  StreamGuard guard(fp_s);
  // Unbuffered: the header is one small read and the pixel block goes
  // straight from the file into the block, with no copy through a buffer.
  std::setvbuf(fp_s, nullptr, _IONBF, 0);

  const auto file_bytes = static_cast<std::uint64_t>(st.st_size);
  if (file_bytes < kFieldsEnd) {
    PrintPathError(fname_s, "is too short to be a BMP file.");
    return nullptr;
  }
  unsigned char fields[kFieldsEnd];
  if (std::fread(fields, 1, kFieldsEnd, fp_s) != kFieldsEnd) {
    PrintPathError(fname_s, "could not be read.");
    return nullptr;
  }
  offset = ReadLe32(fields + 10);
  width = ReadLe32(fields + 18);
  height = ReadLe32(fields + 22);
  bit_count = ReadLe16(fields + 28);
  bytes_per_pixel = static_cast<std::uint16_t>(bit_count >> 3);

  if (height > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    PrintPathError(fname_s, "is a top-down BMP, which is not supported.");
    return nullptr;
  }

  // width x height fits in 64 bits; the factor bytes_per_pixel may not.
  // Checking against the file's size first means no header, however large
  // its numbers, makes us allocate more than the file holds.
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
  const bool too_big =
      bytes_per_pixel != 0 && pixels > std::numeric_limits<std::uint64_t>::max() / bytes_per_pixel;
  const std::uint64_t block_size = too_big ? 0 : pixels * bytes_per_pixel;
  if (too_big || offset > file_bytes || block_size > file_bytes - offset) {
    PrintPathError(fname_s, "holds less pixel data than its header declares.");
    return nullptr;
  }

  BmpBlock block;
  if (block_size <= std::numeric_limits<std::size_t>::max() - 1) {
    // At least one byte, so that an empty block is still a valid pointer.
    block.reset(static_cast<unsigned char*>(
        std::malloc(static_cast<std::size_t>(block_size == 0 ? 1 : block_size))));
  }
  if (!block) {
    std::puts("malloc images_s error");
    return nullptr;
  }

  if (block_size != 0) {
    if (::fseeko(fp_s, static_cast<off_t>(offset), SEEK_SET) != 0 ||
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
