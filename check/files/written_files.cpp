#include "written_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "file_names.h"
#include "output_file.h"

namespace mae::check {

namespace {

constexpr const char* kListHeader =
    "# Files mae-check wrote in this folder; a rerun removes those it no longer writes.\n";

// A path as one line of the list: '%', line feeds and carriage returns
// (a student's name may hold any of them) percent-encoded, and a leading
// '#' too, so that no entry reads as a comment or a blank line.
std::string Encoded(const std::string& path) {
  std::string line;
  for (const char ch : path) {
    line += ch == '%'                   ? "%25"
            : ch == '\n'                ? "%0A"
            : ch == '\r'                ? "%0D"
            : ch == '#' && line.empty() ? "%23"
                                        : std::string(1, ch);
  }
  return line;
}

int HexDigit(char ch) {
  return ch >= '0' && ch <= '9'   ? ch - '0'
         : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
         : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                                  : -1;
}

// Every %XX decoded: the lists of earlier versions encoded fewer bytes,
// but always '%' itself, so they decode the same.
std::string Decoded(const std::string& line) {
  std::string path;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const int high = i + 2 < line.size() && line[i] == '%' ? HexDigit(line[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(line[i + 2]) : -1;
    if (low >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += line[i];
    }
  }
  return path;
}

std::string ListPath(const std::string& folder) {
  return folder + "/" + kWrittenListName;
}

// Removes folder/relative when it is a regular file that no link leads
// to through its folders; then the folders it leaves empty, up to `folder`.
// False when it is there and cannot be removed.
bool RemoveStale(const std::string& folder, const std::string& relative) {
  std::string path = folder;
  std::size_t start = 0;
  for (std::size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', start)) {
    path = folder + "/" + relative.substr(0, slash);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return true;  // gone, or not the folder it was: not ours to touch
    }
    start = slash + 1;
  }
  const std::string file = folder + "/" + relative;
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return true;
  }
  if (::unlink(file.c_str()) != 0) {
    return errno == ENOENT;
  }
  for (std::size_t slash = relative.rfind('/'); slash != std::string::npos && slash > 0;
       slash = relative.rfind('/', slash - 1)) {
    if (::rmdir((folder + "/" + relative.substr(0, slash)).c_str()) != 0) {
      break;  // not empty
    }
  }
  return true;
}

}  // namespace

std::vector<std::string> ListedPaths(const std::string& folder) {
  std::vector<std::string> paths;
  struct stat st {};
  if (::lstat(ListPath(folder).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return paths;
  }
  std::ifstream in(ListPath(folder), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') {
      paths.push_back(Decoded(line));
    }
  }
  return paths;
}

std::string WrittenFiles::Relative(const std::string& path) const {
  const std::string prefix = folder_.back() == '/' ? folder_ : folder_ + "/";
  std::string relative;  // with no empty parts: "a//b" is "a/b"
  if (path.compare(0, prefix.size(), prefix) == 0) {
    for (std::size_t i = prefix.size(); i < path.size(); ++i) {
      if (path[i] != '/' || (!relative.empty() && relative.back() != '/')) {
        relative += path[i];
      }
    }
  }
  return relative;
}

Problem WrittenFiles::Add(const std::string& path) {
  const std::string relative = Relative(path);
  if (!StaysInside(relative)) {
    return Problem::Write(path + " does not lie inside " + folder_);
  }
  if (!read_) {
    before_ = ListedPaths(folder_);
    read_ = true;
  }
  if (!written_.insert(relative).second) {
    return Problem::None();
  }
  // Appended with one write, never through a link; a list that is not a
  // regular file is refused rather than written through.
  const int fd = ::open(ListPath(folder_).c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    return Problem::Write("cannot write " + ListPath(folder_) + ": " + std::strerror(errno));
  }
  struct stat st {};
  std::string text = Encoded(relative) + "\n";
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && st.st_size == 0) {
    text = kListHeader + text;
    created_ = before_.empty();
  }
  ok = ok && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const int error = ok ? 0 : errno != 0 ? errno : EIO;
  ::close(fd);
  if (ok) {
    return Problem::None();
  }
  return Problem::Write("cannot write " + ListPath(folder_) + ": " +
                        (S_ISREG(st.st_mode) ? std::strerror(error) : "not a regular file"));
}

void WrittenFiles::Drop(const std::string& path) {
  written_.erase(Relative(path));
}

Problem WrittenFiles::Finish(bool remove_stale) {
  std::set<std::string> listed = written_;
  Problem problem;
  const std::vector<std::string> before = read_ ? before_ : ListedPaths(folder_);
  struct stat st {};
  if (written_.empty() && created_) {
    ::unlink(ListPath(folder_).c_str());  // every file noted failed: no list, as before
    return problem;
  }
  if (written_.empty() && ::lstat(ListPath(folder_).c_str(), &st) != 0) {
    return problem;  // nothing written here, now or before: no list
  }
  for (const std::string& old : before) {
    if (!StaysInside(old) || written_.count(old) > 0) {
      continue;
    }
    if (!remove_stale || !RemoveStale(folder_, old)) {
      listed.insert(old);  // still there: removed by a later run
      if (remove_stale && !problem) {
        problem =
            Problem::Write("cannot remove " + folder_ + "/" + old + ": " + std::strerror(errno));
      }
    }
  }
  std::string text = kListHeader;
  for (const std::string& path : listed) {
    text += Encoded(path) + "\n";
  }
  const Problem written = WriteOutputFile(ListPath(folder_), text, true);
  if (written && !problem) {
    problem = written.After("cannot write " + ListPath(folder_) + ": ");
  }
  return problem;
}

}  // namespace mae::check
