#include "decoded_file.h"

#include <fcntl.h>
#include <spng.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

#include "bmp_decode.h"
#include "sigbus_guard.h"

namespace mae::check {

namespace {

constexpr std::size_t kHeaderBytes = 54;
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A file descriptor that closes itself.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
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
  ~Mapping() {
    if (at_ != nullptr) {
      ::munmap(at_, size_);
    }
  }
  unsigned char* bytes() const { return static_cast<unsigned char*>(at_); }

 private:
  void* at_;
  std::size_t size_;
};

std::string SystemWords(int error) {
  return std::error_code(error, std::generic_category()).message();
}

// Opens a regular file for reading without blocking on a FIFO; -1 else.
int OpenRegular(const std::string& path, std::uint64_t* size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    return -1;
  }
  if (fd >= 0) {
    *size = static_cast<std::uint64_t>(st.st_size);
  }
  return fd;
}

void PutLe32(unsigned char* p, std::uint64_t value) {
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

// The in-memory file of a width x height 24-bit picture: its header
// written, its pixels (bottom row first, packed) to be filled through
// *pixels, mapped until *mapping goes. Empty, with the reason, when there
// is no memory for it.
DecodedFile MakePictureFile(std::uint32_t width, std::uint32_t height,
                            std::unique_ptr<Mapping>* mapping, unsigned char** pixels,
                            std::string* error) {
  const std::uint64_t bytes = std::uint64_t{width} * height * 3;
  const std::uint64_t size = kHeaderBytes + bytes;
  Fd fd(::memfd_create("mae-check-decoded", MFD_CLOEXEC));
  // The pages are reserved up front: writing into a mapping of a full
  // memory file system would raise SIGBUS.
  if (fd.get() < 0 || ::ftruncate(fd.get(), static_cast<off_t>(size)) != 0 ||
      ::fallocate(fd.get(), 0, 0, static_cast<off_t>(size)) != 0) {
    *error = "cannot be decoded: " + SystemWords(errno);
    return {};
  }
  *mapping = std::make_unique<Mapping>(
      ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0), size);
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

std::string TooLarge(const std::string& what) {
  return "is " + what + " too large to decode: more than 2^31 bytes of 24-bit pixels";
}

// The BMP decoder's pass, run under the SIGBUS guard: the input is mapped
// and may shrink meanwhile.
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

Decoding DecodeBmp(const std::string& path) {
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
  const std::string what = ImageFormatWords(info.format, info.top_down);
  if (std::uint64_t{info.width} * info.height * 3 > kMostDecodedBytes) {
    d.error = TooLarge(what);
    return d;
  }
  // Rows that lie in place must all be in the file before anything is
  // allocated for them.
  if (!RowsFit(info, file_size)) {
    d.error = DecodeFailureWords(info, {DecodeFailure::kPixelsMissing});
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
  const bool rle = info.format == ImageFormat::kRle8 || info.format == ImageFormat::kRle4;
  const std::uint64_t row_bytes = (std::uint64_t{info.width} * info.bits + 7) / 8;
  d.layout = rle ? RowLayout::kNone : row_bytes % 4 == 0 ? RowLayout::kEither : RowLayout::kPadded;
  d.file = std::move(decoded);
  return d;
}

struct SpngFree {
  void operator()(spng_ctx* ctx) const noexcept { spng_ctx_free(ctx); }
};
struct FileClose {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

Decoding DecodePng(const std::string& path) {
  Decoding d;
  const std::string what = ImageFormatWords(ImageFormat::kPng, false);
  const std::unique_ptr<std::FILE, FileClose> in(std::fopen(path.c_str(), "rbe"));
  const std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
  if (!in || !ctx) {
    d.error = "cannot be decoded: " + SystemWords(errno);
    return d;
  }
  spng_ihdr ihdr{};
  int status = spng_set_png_file(ctx.get(), in.get());
  if (status == 0) {
    status = spng_get_ihdr(ctx.get(), &ihdr);
  }
  if (status != 0) {
    d.error = "is " + what + " that cannot be decoded: " + spng_strerror(status);
    return d;
  }
  if (std::uint64_t{ihdr.width} * ihdr.height * 3 > kMostDecodedBytes) {
    d.error = TooLarge(what);
    return d;
  }
  std::unique_ptr<Mapping> out;
  unsigned char* pixels = nullptr;
  DecodedFile decoded = MakePictureFile(ihdr.width, ihdr.height, &out, &pixels, &d.error);
  if (decoded.empty()) {
    return d;
  }
  const std::size_t row = std::size_t{ihdr.width} * 3;
  const std::size_t bytes = row * ihdr.height;
  // Decoded as 8-bit RGB (palettes and grey expanded, alpha dropped), top
  // row first, straight into the file; then turned bottom row first and
  // blue-green-red, in place.
  status = spng_decode_image(ctx.get(), pixels, bytes, SPNG_FMT_RGB8, 0);
  if (status != 0) {
    d.error = "is " + what + " that cannot be decoded: " + spng_strerror(status);
    return d;
  }
  for (std::size_t top = 0, bottom = ihdr.height; top + 1 < bottom; ++top, --bottom) {
    std::swap_ranges(pixels + top * row, pixels + (top + 1) * row, pixels + (bottom - 1) * row);
  }
  for (std::size_t i = 0; i < bytes; i += 3) {
    std::swap(pixels[i], pixels[i + 2]);
  }
  d.file = std::move(decoded);
  return d;
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

std::string DecodedFile::path() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

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
  kind.format = info.format;
  kind.top_down = info.top_down;
  return kind;
}

Decoding DecodeFile(const std::string& path, const FileKind& kind) {
  return kind.format == ImageFormat::kPng ? DecodePng(path) : DecodeBmp(path);
}

}  // namespace mae::check
