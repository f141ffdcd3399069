#include "output_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string WriteOutputFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return std::strerror(errno);
  }
  struct stat st {};
  const bool regular = ::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_error = errno;
  if (std::fclose(file) != 0 || !written) {
    const std::string error = std::strerror(written ? errno : write_error);
    // No cut-short picture or report is left behind; a device such as
    // /dev/full is not ours to remove.
    if (regular) {
      std::remove(path.c_str());
    }
    return error;
  }
  return {};
}
