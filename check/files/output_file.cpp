#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mae::check {

namespace {

namespace fs = std::filesystem;

// The temporary file being written, for the signal handler to remove.
char g_temp_path[PATH_MAX];
volatile std::sig_atomic_t g_temp_live = 0;

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

constexpr std::size_t kMaxTempStem = 255 - 8;  // '.', and ".XXXXXX"

void RemoveTempAndResignal(int signal) {
  if (g_temp_live != 0) {
    ::unlink(g_temp_path);  // async-signal-safe
    g_temp_live = 0;
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Installs the handler once, for the signals that are not ignored.
void InstallCleanup() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  for (const int signal : kCleanupSignals) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
      struct sigaction action {};
      action.sa_handler = RemoveTempAndResignal;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
  }
}

// Blocks the cleanup signals for its lifetime, so that the temporary file
// and its record come and go together.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kCleanupSignals) {
      sigaddset(&set, signal);
    }
    ::sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// The file a path names after its symbolic links are followed (a link to
// nothing yet names the file it would create).
fs::path FollowLinks(fs::path path) {
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
    const fs::path link = fs::read_symlink(path, error);
    if (error) {
      break;
    }
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

bool WriteAll(int fd, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      if (n == 0) {
        errno = EIO;
      }
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// Not a regular file: written in place, as a device or pipe expects. Opened
// without waiting, so that a FIFO nobody reads is an error, not a hang.
std::string WriteDirectly(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    return errno == ENXIO ? "a FIFO that nobody reads" : std::strerror(errno);
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    return std::strerror(error);
  }
  const bool written = WriteAll(fd, bytes);
  const int write_error = errno;
  if (::close(fd) != 0 || !written) {
    return std::strerror(written ? errno : write_error);
  }
  return {};
}

// The permission bits a new file gets: 0666 less the umask. The web
// page's in-memory files have no one else to keep out, and its umask
// starts at 0777, which would leave them unreadable.
mode_t NewFileMode() {
#ifdef __EMSCRIPTEN__
  return 0644;
#else
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
#endif
}

// Creates the temporary file beside `target` and records it for the
// signal handler; -1 with errno on failure.
int CreateTemp(const fs::path& target) {
  // ".NAME.XXXXXX", NAME cut so that the whole stays within the 255 bytes
  // of a file name.
  const std::string name = target.filename().string().substr(0, kMaxTempStem);
  const std::string pattern = (target.parent_path() / ("." + name + ".XXXXXX")).string();
  if (pattern.size() >= sizeof g_temp_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const SignalsHeld held;
  std::memcpy(g_temp_path, pattern.c_str(), pattern.size() + 1);
  const int fd = ::mkostemp(g_temp_path, O_CLOEXEC);
  g_temp_live = fd >= 0 ? 1 : 0;
  return fd;
}

void DropTemp(bool remove) {
  const SignalsHeld held;
  if (remove && g_temp_live != 0) {
    ::unlink(g_temp_path);
  }
  g_temp_live = 0;
}

}  // namespace

Problem WriteOutputFile(const std::string& path, const std::string& bytes, bool regular_only) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    if (regular_only) {
      return Problem::Write("not a regular file");
    }
    const std::string error = WriteDirectly(path, bytes);
    return error.empty() ? Problem::None() : Problem::Write(error);
  }
  InstallCleanup();
  const fs::path target = FollowLinks(path);
  const int fd = CreateTemp(target);
  if (fd < 0) {
    return Problem::Write(std::strerror(errno));
  }
  // Over a file-size limit a write fails with EFBIG instead of the signal
  // ending the process with the temporary file left behind.
  const auto previous_xfsz = std::signal(SIGXFSZ, SIG_IGN);
  // Blocks reserved up front: ext4 flushes a file that replaces another by
  // a rename unless its blocks are already allocated, which costs more than
  // the write. Where reserving is not supported, the write goes on without.
#ifndef __EMSCRIPTEN__  // the web page's files are memory: nothing to reserve
  if (!bytes.empty()) {
    (void)::fallocate(fd, 0, 0, static_cast<off_t>(bytes.size()));
  }
#endif
  bool ok = ::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode()) == 0 && WriteAll(fd, bytes);
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  std::signal(SIGXFSZ, previous_xfsz);
  if (ok && std::rename(g_temp_path, target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  DropTemp(!ok);
  return ok ? Problem::None() : Problem::Write(std::strerror(error));
}

}  // namespace mae::check
