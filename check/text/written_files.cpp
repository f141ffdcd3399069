#include "written_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "output_file.h"

namespace mae::check {

namespace {

constexpr const char* kListHeader =
    "# Files mae-check wrote in this folder; a rerun removes those it no longer writes.\n";

// A path as one line of the list: '%', line feeds and carriage returns
// (a student's name may hold any of them) percent-encoded.
std::string Encoded(const std::string& path) {
  std::string line;
  for (const char ch : path) {
    line += ch == '%' ? "%25" : ch == '\n' ? "%0A" : ch == '\r' ? "%0D" : std::string(1, ch);
  }
  return line;
}

std::string Decoded(const std::string& line) {
  std::string path;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const std::string code = line.substr(i, 3);
    if (code == "%25" || code == "%0A" || code == "%0D") {
      path += code == "%25" ? '%' : code == "%0A" ? '\n' : '\r';
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

// The paths the folder's list names; none when there is no list or it is
// not a regular file of its own.
std::vector<std::string> ReadList(const std::string& folder) {
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

// A path the list may name: relative, with no empty, "." or ".." part.
bool SafeRelative(const std::string& path) {
  if (path.empty() || path[0] == '/') {
    return false;
  }
  std::istringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '/')) {
    if (part.empty() || part == "." || part == "..") {
      return false;
    }
  }
  return path.back() != '/';
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

void WrittenFiles::Add(const std::string& path) {
  const std::string prefix = folder_.back() == '/' ? folder_ : folder_ + "/";
  if (path.compare(0, prefix.size(), prefix) == 0 && path.size() > prefix.size()) {
    written_.insert(path.substr(prefix.size()));
  }
}

std::string WrittenFiles::Finish(bool remove_stale) {
  std::set<std::string> listed = written_;
  std::string problem;
  const std::vector<std::string> before = ReadList(folder_);
  struct stat st {};
  if (written_.empty() && ::lstat(ListPath(folder_).c_str(), &st) != 0) {
    return problem;  // nothing written here, now or before: no list
  }
  for (const std::string& old : before) {
    if (!SafeRelative(old) || written_.count(old) > 0) {
      continue;
    }
    if (!remove_stale || !RemoveStale(folder_, old)) {
      listed.insert(old);  // still there: removed by a later run
      if (remove_stale && problem.empty()) {
        problem = "cannot remove " + folder_ + "/" + old + ": " + std::strerror(errno);
      }
    }
  }
  std::string text = kListHeader;
  for (const std::string& path : listed) {
    text += Encoded(path) + "\n";
  }
  const std::string error = WriteOutputFile(ListPath(folder_), text);
  if (!error.empty() && problem.empty()) {
    problem = "cannot write " + ListPath(folder_) + ": " + error;
  }
  return problem;
}

}  // namespace mae::check
