#include "class_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "MAE.h"

namespace {

constexpr int kSearchDepth = 4;

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

std::string Lower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') {
      ch = static_cast<char>(ch - 'A' + 'a');
    }
  }
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// At most one insertion, deletion or change turns `a` into `b`.
bool OneEditApart(const std::string& a, const std::string& b) {
  const std::string& longer = a.size() >= b.size() ? a : b;
  const std::string& shorter = a.size() >= b.size() ? b : a;
  if (longer.size() - shorter.size() > 1) {
    return false;
  }
  std::size_t i = 0;
  while (i < shorter.size() && shorter[i] == longer[i]) {
    ++i;
  }
  if (i == shorter.size()) {
    return true;  // the same, or one more character at the end
  }
  const std::size_t skip = longer.size() == shorter.size() ? 1 : 0;
  return longer.compare(i + 1, std::string::npos, shorter, i + skip, std::string::npos) == 0;
}

// What the search of one submission found: every file (not folder) below
// it to the search depth, by path relative to it, and the folders it
// could not read, with why.
struct Found {
  std::vector<std::string> files;
  std::vector<std::string> unreadable;
};

void Search(const std::string& root, const std::string& relative, int depth, Found* found) {
  const std::string path = relative.empty() ? root : root + "/" + relative;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) {
    found->unreadable.push_back((relative.empty() ? "." : relative) + ": " + std::strerror(errno));
    return;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string child = relative.empty() ? name : relative + "/" + name;
    struct stat st {};
    if (::lstat((root + "/" + child).c_str(), &st) != 0) {
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      found->files.push_back(child);  // links, FIFOs and devices too: opened safely later
    } else if (depth < kSearchDepth && name[0] != '.' && name != "ANS" && name != "__MACOSX") {
      Search(root, child, depth + 1, found);
    }
  }
}

// `lower` is the name of one of the ten outputs, ignoring case.
bool IsCaseFile(const std::string& lower) {
  for (const char* name : output_name) {
    if (lower == Lower(name)) {
      return true;
    }
  }
  return false;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The case's output, found in the submission, or the reason it was not.
Case FindOutput(const Student& s, const std::string& file, const Found& found, Case c) {
  std::vector<std::string> candidates;
  std::string closest;
  for (const std::string& path : found.files) {
    const std::string base = Lower(BaseName(path));
    if (base == Lower(file)) {
      candidates.push_back(path);
    } else if (closest.empty() && EndsWith(base, ".bmp") && OneEditApart(base, Lower(file)) &&
               !IsCaseFile(base)) {
      closest = path;  // a near miss, not another case's output
    }
  }
  if (candidates.size() == 1) {
    c.output = s.folder + "/" + candidates[0];
    c.found_as = candidates[0];
  } else if (candidates.size() > 1) {
    c.problem = std::to_string(candidates.size()) + " files could be " + file + ":";
    for (const std::string& candidate : candidates) {
      c.problem += (candidate == candidates[0] ? " " : ", ") + candidate;
    }
    c.problem_code = "several_candidates";
    c.output.clear();
  } else if (!found.unreadable.empty()) {
    c.hint = "a folder could not be searched: " + found.unreadable[0];
  } else if (!closest.empty()) {
    c.hint = "the closest name there is " + closest;
  }
  return c;
}

}  // namespace

std::string ListStudents(const std::string& root, const std::string& ans, const Roster* roster,
                         std::vector<Student>* students) {
  struct stat ans_st {};
  const bool have_ans = ::stat(ans.c_str(), &ans_st) == 0;
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(root.c_str()));
  if (!dir) {
    return std::strerror(errno);
  }
  std::map<std::string, Student> by_name;  // byte order
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    struct stat st {};
    if (name[0] == '.' || ::lstat((root + "/" + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        (have_ans && st.st_dev == ans_st.st_dev && st.st_ino == ans_st.st_ino)) {
      continue;
    }
    by_name[name] = Student{name, root + "/" + name, roster == nullptr};
  }
  if (roster != nullptr) {
    for (const std::string& name : roster->names) {
      auto [it, added] = by_name.emplace(name, Student{name, "", true});
      it->second.on_roster = true;
    }
  }
  students->clear();
  for (auto& [name, student] : by_name) {
    students->push_back(std::move(student));
  }
  return {};
}

std::vector<Case> StudentCases(const Student& s, const std::string& ans) {
  std::vector<Case> cases = TenCases(s.folder.empty() ? "." : s.folder, ans);
  if (s.folder.empty()) {
    for (Case& c : cases) {
      c.output.clear();
      c.problem = "no submission";
      c.problem_code = "no_submission";
    }
    return cases;
  }
  Found found;
  bool searched = false;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    struct stat st {};
    if (::lstat(cases[i].output.c_str(), &st) == 0) {
      continue;  // under its own name, whatever it is
    }
    if (!searched) {
      Search(s.folder, "", 0, &found);
      std::sort(found.files.begin(), found.files.end());
      searched = true;
    }
    cases[i] = FindOutput(s, output_name[i], found, cases[i]);
  }
  return cases;
}
