// A file that lives in memory (memfd_create) with a path that opens it like
// any regular file, so that fuzz inputs never touch the disk.
#ifndef MAE_FUZZ_MEM_FILE_H
#define MAE_FUZZ_MEM_FILE_H

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

class MemFile {
 public:
  MemFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("mae-fuzz", 0)) {
    if (fd_ < 0) {
      std::abort();
    }
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n <= 0) {
        std::abort();
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  MemFile(const MemFile&) = delete;
  MemFile& operator=(const MemFile&) = delete;
  ~MemFile() { ::close(fd_); }

  const char* path() const { return path_.c_str(); }

 private:
  int fd_;
  std::string path_;
};

// Messages are part of what is tested elsewhere; here they would only
// flood the fuzzer's output.
inline void SilenceStdout() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) {
    std::abort();
  }
}

#endif  // MAE_FUZZ_MEM_FILE_H
