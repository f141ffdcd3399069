#include "own_files.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace mae::check {

namespace {

// Both paths lead to one file.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// A chain of symbolic links from `path` passes through /proc, whose links
// (/proc/self/fd/N, /proc/self/root) lead wherever the process has a file
// open, whatever realpath(3) then makes of them.
bool LinksThroughProc(const std::string& path) {
  std::filesystem::path at = path;
  std::error_code error;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(at, error); ++hops) {
    const std::filesystem::path link = std::filesystem::read_symlink(at, error);
    if (error) {
      return false;
    }
    at = link.is_absolute() ? link : at.parent_path() / link;
    const std::string folder = ResolvedPath(at.parent_path().empty() ? "." : at.parent_path());
    if (LiesUnder(at.lexically_normal().string(), "/proc") ||
        LiesUnder(folder + "/" + at.filename().string(), "/proc") || LiesUnder(folder, "/proc")) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string ResolvedPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                             &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

bool LiesUnder(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty() || path.compare(0, folder.size(), folder) != 0) {
    return false;
  }
  return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

ForeignOutput ForeignProblem(const std::string& root, const Case& c) {
  ForeignOutput foreign;
  if (!c.problem.empty() || c.output.empty()) {
    return foreign;
  }
  if (SameFile(c.output, c.reference)) {
    foreign.code = CaseProblem::kSameFileAsReference;
    foreign.words = "output " + c.output + " " + CaseProblemWords(foreign.code);
    return foreign;
  }
  if (root.empty()) {
    return foreign;
  }
  const std::string target = ResolvedPath(c.output);
  if (LinksThroughProc(c.output) || (!target.empty() && !LiesUnder(target, root))) {
    foreign.code = CaseProblem::kLinkOutsideSubmission;
    foreign.words = "output " + c.output + " " + CaseProblemWords(foreign.code) + " " +
                    (target.empty() ? std::string("/proc") : target);
  }
  return foreign;
}

bool IsItsReference(const Case& c) {
  return SameFile(c.output, c.reference);
}

}  // namespace mae::check
