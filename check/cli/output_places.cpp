#include "output_places.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "written_files.h"

namespace mae::check {

namespace {

namespace fs = std::filesystem;

struct Place {
  const char* option;
  std::string given;  // as the command line gives it
  fs::path resolved;  // absolute, its links followed as far as it exists
  bool folder;
};

fs::path Resolved(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) {
    absolute = path;
  }
  const fs::path canonical = fs::weakly_canonical(absolute, error);
  fs::path resolved = (error ? absolute : canonical).lexically_normal();
  if (!resolved.has_filename() && resolved.has_relative_path()) {
    resolved = resolved.parent_path();  // "out/" is "out"
  }
  return resolved;
}

// `path` is `folder` or lies below it, as resolved paths.
bool Within(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (p == path.end() || *p != *f) {
      return false;
    }
  }
  return true;
}

std::string Named(const Place& p) {
  return std::string(p.option) + " " + p.given;
}

// The graded sub-folder of `root` that `path` lies in (root/NAME, an
// existing folder that is not hidden and not the tool's own), or "".
std::string SubmissionOf(const fs::path& path, const fs::path& root) {
  if (!Within(path, root) || path == root) {
    return {};
  }
  const fs::path relative = path.lexically_relative(root);
  const std::string name = relative.begin()->string();
  const fs::path folder = root / name;
  struct stat st {};
  struct stat list {};
  if (name.empty() || name[0] == '.' || ::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      ::lstat((folder / kWrittenListName).c_str(), &list) == 0) {
    return {};
  }
  return name;
}

Problem Collision(const Place& a, const Place& b) {
  if (a.resolved == b.resolved) {
    return Problem::Usage(Named(a) + " and " + Named(b) + " name the same " +
                          (a.folder && b.folder     ? "folder"
                           : !a.folder && !b.folder ? "file"
                                                    : "path") +
                          "; give each its own");
  }
  if (a.folder && b.folder && (Within(a.resolved, b.resolved) || Within(b.resolved, a.resolved))) {
    const bool a_inside = Within(a.resolved, b.resolved);
    return Problem::Usage(Named(a_inside ? a : b) + " lies inside " + Named(a_inside ? b : a) +
                          "; give each its own folder");
  }
  return Problem::None();
}

std::vector<Place> Places(const CheckOptions& o) {
  const bool per_student = o.class_root.has_value();
  const struct {
    const char* option;
    const std::string* path;
    bool folder;
  } all[] = {
      {"--reports", &o.reports_folder, true},
      {"--diff", &o.diff_folder, true},
      {"--gradescope", &o.gradescope, per_student},
      {"--prairielearn", &o.prairielearn, per_student},
      {"--csv", &o.csv_file, false},
      {"--junit", &o.junit, false},
      {"--report", &o.report_file, false},
  };
  std::vector<Place> places;
  for (const auto& each : all) {
    if (!each.path->empty()) {
      places.push_back({each.option, *each.path, Resolved(*each.path), each.folder});
    }
  }
  return places;
}

}  // namespace

Problem OutputPlaceProblem(const CheckOptions& o) {
  const std::vector<Place> places = Places(o);
  for (std::size_t i = 0; i < places.size(); ++i) {
    for (std::size_t j = i + 1; j < places.size(); ++j) {
      const Problem problem = Collision(places[i], places[j]);
      if (problem) {
        return problem;
      }
    }
  }
  std::string ans;
  if (o.ans_folder) {
    ans = *o.ans_folder;
  } else if (!o.class_root && o.operands.size() < 2) {
    ans = (fs::path(o.operands.empty() ? "." : o.operands[0]) / "ANS").string();
  }
  for (const Place& p : places) {
    if (!ans.empty() && Within(p.resolved, Resolved(ans))) {
      return Problem::Usage(Named(p) + " lies in the references' folder " + ans +
                            "; write the outputs elsewhere");
    }
    if (o.class_root) {
      const fs::path root = Resolved(*o.class_root);
      if (p.folder && p.resolved == root) {
        return Problem::Usage(Named(p) +
                              " is the class root; its files would be graded as students, or "
                              "written into their folders: give a folder beside it or a new one "
                              "inside it");
      }
      const std::string student = SubmissionOf(p.resolved, root);
      if (!student.empty()) {
        return Problem::Usage(Named(p) + " lies inside the submission " + student +
                              "; write the outputs outside the students' folders");
      }
    } else if (p.folder && o.operands.size() < 2 &&
               p.resolved == Resolved(o.operands.empty() ? "." : o.operands[0])) {
      return Problem::Usage(Named(p) +
                            " is the folder being checked, where NAME.png would be taken for an "
                            "output; give a folder of its own");
    }
  }
  return Problem::None();
}

}  // namespace mae::check
