#include "own_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <set>
#include <vector>

#include "written_files.h"

namespace mae::check {

namespace {

constexpr int kListDepth = 4;  // the tool writes at most two levels deep

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

bool IsBmpName(const std::string& name) {
  if (name.size() < 4) {
    return false;
  }
  std::string end = name.substr(name.size() - 4);
  for (char& ch : end) {
    ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
  }
  return end == ".bmp";
}

// Every regular file below `folder`/`relative` is on `listed` and none is
// a BMP file; links and other entries are not followed.
bool Accounted(const std::string& folder, const std::string& relative,
               const std::set<std::string>& listed, int depth) {
  const std::string path = relative.empty() ? folder : folder + "/" + relative;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) {
    return false;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || (relative.empty() && name == kWrittenListName)) {
      continue;
    }
    const std::string child = relative.empty() ? name : relative + "/" + name;
    struct stat st {};
    if (::lstat((folder + "/" + child).c_str(), &st) != 0) {
      continue;
    }
    if (S_ISREG(st.st_mode) && (IsBmpName(name) || listed.count(child) == 0)) {
      return false;
    }
    if (S_ISDIR(st.st_mode) &&
        (depth >= kListDepth || !Accounted(folder, child, listed, depth + 1))) {
      return false;
    }
  }
  return true;
}

}  // namespace

OwnList FolderList(const std::string& folder) {
  struct stat st {};
  if (::lstat((folder + "/" + kWrittenListName).c_str(), &st) != 0) {
    return OwnList::kNone;
  }
  const std::vector<std::string> paths = ListedPaths(folder);
  const std::set<std::string> listed(paths.begin(), paths.end());
  return Accounted(folder, "", listed, 0) ? OwnList::kOwn : OwnList::kIgnored;
}

}  // namespace mae::check
