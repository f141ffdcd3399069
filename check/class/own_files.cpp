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

void MarkForeignOutputs(const std::optional<std::string>& submission, std::vector<Case>* cases) {
  const std::string root = submission ? ResolvedPath(*submission) : std::string();
  for (Case& c : *cases) {
    if (!c.problem.empty() || c.output.empty()) {
      continue;
    }
    if (SameFile(c.output, c.reference)) {
      c.problem_code = CaseProblem::kSameFileAsReference;
      c.problem = "output " + c.output + " " + CaseProblemWords(c.problem_code);
      continue;
    }
    if (root.empty()) {
      continue;
    }
    const std::string target = ResolvedPath(c.output);
    if (LinksThroughProc(c.output) || (!target.empty() && !LiesUnder(target, root))) {
      c.problem_code = CaseProblem::kLinkOutsideSubmission;
      c.problem = "output " + c.output + " " + CaseProblemWords(c.problem_code) + " " +
                  (target.empty() ? std::string("/proc") : target);
    }
  }
}

void MarkPairItself(Case* c) {
  c->is_reference = SameFile(c->output, c->reference);
}

}  // namespace mae::check
