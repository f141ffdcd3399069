// Helpers shared by the tests and the sample-image generator: building BMP
// files byte by byte (including broken ones), temporary folders, and
// running a program while capturing what it prints.
#ifndef MAE_TESTS_SUPPORT_BMP_FILE_H
#define MAE_TESTS_SUPPORT_BMP_FILE_H

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace bmptest {

using Bytes = std::vector<unsigned char>;

inline void PutLe(Bytes& bytes, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
  }
}

// A 54-byte BMP header with the given fields; everything else is what a
// standard 24-bit file holds.
inline Bytes MakeHeader(std::uint32_t width, std::uint32_t height, std::uint16_t bit_count = 24,
                        std::uint32_t offset = 54, std::uint32_t file_size = 0) {
  Bytes h(54, 0);
  h[0] = 'B';
  h[1] = 'M';
  PutLe(h, 2, file_size, 4);
  PutLe(h, 10, offset, 4);
  PutLe(h, 14, 40, 4);
  PutLe(h, 18, width, 4);
  PutLe(h, 22, height, 4);
  PutLe(h, 26, 1, 2);
  PutLe(h, 28, bit_count, 2);
  return h;
}

// A complete file: header, then the pixel bytes as given (packed rows).
inline Bytes MakeBmp(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
                     std::uint16_t bit_count = 24) {
  Bytes file =
      MakeHeader(width, height, bit_count, 54, static_cast<std::uint32_t>(54 + pixels.size()));
  file.resize(54 + pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    file[54 + i] = pixels[i];
  }
  return file;
}

// A standard 24-bit file as other programs write it: each row of the packed
// `pixels` padded with `pad` bytes to a multiple of 4. Without
// `last_row_padding` the last row's padding is left out, as some writers do.
inline Bytes MakePaddedBmp(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
                           unsigned char pad = 0, bool last_row_padding = true) {
  const std::size_t row = std::size_t{width} * 3;
  const std::size_t stride = (row + 3) / 4 * 4;
  Bytes file = MakeHeader(width, height);
  for (std::size_t r = 0; r < height; ++r) {
    file.insert(file.end(), pixels.begin() + static_cast<std::ptrdiff_t>(r * row),
                pixels.begin() + static_cast<std::ptrdiff_t>((r + 1) * row));
    if (last_row_padding || r + 1 < height) {
      file.insert(file.end(), stride - row, pad);
    }
  }
  PutLe(file, 2, file.size(), 4);
  return file;
}

// width x height x 3 bytes, each set by fill(index).
template <typename Fill>
Bytes MakePixels(std::size_t width, std::size_t height, Fill fill) {
  Bytes pixels(width * height * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<unsigned char>(fill(i));
  }
  return pixels;
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary directory, removed with all
// its contents when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mae-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct RunResult {
  std::string out;
  std::string err;
  int exit_status = -1;  // -1 when the program did not exit normally
};

inline std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

// Runs `program` with `args` (no shell) and returns its
// standard output, standard error and exit status. Standard error goes to a
// file so that neither pipe can fill up while the other is read.
inline RunResult Run(const std::string& program, const std::vector<std::string>& args) {
  int out_pipe[2];
  if (::pipe(out_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  char err_name[] = "/tmp/mae-stderr-XXXXXX";
  const int err_fd = ::mkstemp(err_name);
  if (err_fd < 0) {
    throw std::runtime_error("mkstemp failed");
  }
  ::unlink(err_name);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
  posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

  std::vector<std::string> argv_strings = {program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argv_strings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  RunResult result;
  if (spawned != 0) {
    ::close(out_pipe[0]);
    ::close(err_fd);
    throw std::runtime_error("cannot start " + program);
  }
  result.out = Drain(out_pipe[0]);
  ::close(out_pipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  ::lseek(err_fd, 0, SEEK_SET);
  result.err = Drain(err_fd);
  ::close(err_fd);
  return result;
}

}  // namespace bmptest

#endif  // MAE_TESTS_SUPPORT_BMP_FILE_H
