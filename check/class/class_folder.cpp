#include "class_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "file_names.h"
#include "output_search.h"
#include "own_files.h"
#include "own_list.h"
#include "student_names.h"
#include "submission_cases.h"

namespace mae::check {

namespace {

constexpr int kEmptyCheckDepth = 4;

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// No file but hidden ones below `folder` (to the depth the outputs are
// looked for), __MACOSX and hidden folders left out.
bool HoldsNoFiles(const std::string& folder, int depth) {
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) {
    return false;  // unreadable: graded, and the cases say why
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name[0] == '.' || name == "__MACOSX") {
      continue;
    }
    struct stat st {};
    const std::string path = folder + "/" + name;
    if (::lstat(path.c_str(), &st) != 0) {
      continue;
    }
    if (!S_ISDIR(st.st_mode) || depth >= kEmptyCheckDepth || !HoldsNoFiles(path, depth + 1)) {
      return false;
    }
  }
  return true;
}

// Why a direct sub-folder of the root is the tool's own, or ""; *ignored
// is set when it holds a list of the tool's that does not account for it.
std::string OwnFolderWhy(const std::string& folder, const std::vector<OwnOutput>& own,
                         bool* ignored) {
  const std::string resolved = ResolvedPath(folder);
  for (const OwnOutput& o : own) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(o.path, error);
    if (error) {
      continue;
    }
    if (o.is_file) {
      path = path.parent_path();
    }
    if (LiesUnder(path.string(), resolved)) {
      return o.option;
    }
  }
  const OwnList list = FolderList(folder);
  *ignored = list == OwnList::kIgnored;
  return list == OwnList::kOwn ? "holds mae-check's list of files it wrote" : "";
}

struct Entry {
  Student student;
  std::string key;
};

}  // namespace

std::string ListStudents(const std::string& root, const std::string& ans, const Roster* roster,
                         const std::vector<OwnOutput>& own, ClassListing* listing) {
  *listing = ClassListing();
  struct stat ans_st {};
  const bool have_ans = ::stat(ans.c_str(), &ans_st) == 0;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(root.c_str()));
  if (!dir) {
    return std::strerror(errno);
  }
  std::vector<Entry> found;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    const std::string path = Join(root, name);
    struct stat st {};
    if (name[0] == '.' || ::lstat(path.c_str(), &st) != 0) {
      continue;
    }
    if (S_ISLNK(st.st_mode)) {
      struct stat target {};
      if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
        listing->linked.push_back(name);
        found.push_back({Student{name, "", roster == nullptr, Student::Handed::kLinkedFolder, ""},
                         NameKey(name)});
      }
      continue;
    }
    if (!S_ISDIR(st.st_mode) ||
        (have_ans && st.st_dev == ans_st.st_dev && st.st_ino == ans_st.st_ino)) {
      continue;
    }
    bool ignored = false;
    const std::string why = OwnFolderWhy(path, own, &ignored);
    if (ignored) {
      listing->list_ignored.push_back(name);
    }
    if (!why.empty()) {
      listing->left_out.push_back(name + " (" + why + ")");
      continue;
    }
    const Student::Handed handed =
        HoldsNoFiles(path, 0) ? Student::Handed::kEmpty : Student::Handed::kFolder;
    found.push_back({Student{name, path, roster == nullptr, handed, ""}, NameKey(name)});
  }
  std::sort(found.begin(), found.end(),
            [](const Entry& a, const Entry& b) { return a.student.name < b.student.name; });
  std::sort(listing->linked.begin(), listing->linked.end());
  std::sort(listing->left_out.begin(), listing->left_out.end());
  std::sort(listing->list_ignored.begin(), listing->list_ignored.end());
  std::map<std::string, std::size_t> first_by_key;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const auto [it, added] = first_by_key.emplace(found[i].key, i);
    if (!added) {
      listing->same_names.emplace_back(found[it->second].student.name, found[i].student.name);
    }
  }
  if (roster != nullptr) {
    for (const std::string& name : roster->names) {
      const std::string key = NameKey(name);
      bool matched = false;
      for (Entry& e : found) {
        if (e.key == key) {
          e.student.on_roster = true;
          matched = true;
        }
      }
      if (!matched) {
        found.push_back({Student{name, "", true, Student::Handed::kNothing, ""}, key});
      }
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return a.student.name < b.student.name; });
  }
  std::vector<std::string> names;
  for (const Entry& e : found) {
    names.push_back(e.student.name);
  }
  const std::vector<std::string> files = UniqueFileNames(names);
  for (std::size_t i = 0; i < found.size(); ++i) {
    found[i].student.file_name = files[i];
  }
  for (Entry& e : found) {
    // A linked folder gets a row where it stands for a student: without a
    // roster, or when its name is on it.
    if (e.student.handed != Student::Handed::kLinkedFolder || e.student.on_roster) {
      listing->students.push_back(std::move(e.student));
    }
  }
  return {};
}

std::vector<Case> StudentCases(const Exercise* exercise, const Student& s, const std::string& ans,
                               const std::vector<std::string>& skipped) {
  const std::string folder = s.folder.empty() ? "." : s.folder;
  if (s.Submitted()) {
    return SubmissionCases(exercise, folder, ans, skipped, folder);
  }
  // Nothing handed in: every case is that problem, with no output.
  const CaseProblem problem = s.handed == Student::Handed::kLinkedFolder
                                  ? CaseProblem::kLinkedFolder
                              : s.handed == Student::Handed::kEmpty ? CaseProblem::kEmptySubmission
                                                                    : CaseProblem::kNoSubmission;
  std::vector<Case> cases;
  for (Case c : PlannedCases(exercise, folder, ans)) {
    c.output.clear();
    c.problem = CaseProblemWords(problem);
    c.problem_code = problem;
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace mae::check
