#include "own_files.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
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
    if (!target.empty() && !LiesUnder(target, root)) {
      c.problem_code = CaseProblem::kLinkOutsideSubmission;
      c.problem = "output " + c.output + " " + CaseProblemWords(c.problem_code) + " " + target;
    }
  }
}

void MarkPairItself(Case* c) {
  c->is_reference = SameFile(c->output, c->reference);
}

}  // namespace mae::check
