#include "output_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

#include "MAE.h"
#include "file_names.h"
#include "own_list.h"

namespace mae::check {

namespace {

constexpr int kSearchDepth = 4;

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

using FileId = std::pair<dev_t, ino_t>;

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

struct Search {
  std::string root;
  std::vector<FileId> skipped;
  Found found;

  // A folder below the root that the search leaves alone.
  bool Skips(const std::string& name, const std::string& path, const struct stat& st) const {
    if (name[0] == '.' || name == "ANS" || name == "__MACOSX") {
      return true;
    }
    if (std::find(skipped.begin(), skipped.end(), FileId{st.st_dev, st.st_ino}) != skipped.end()) {
      return true;
    }
    return FolderList(path) == OwnList::kOwn;
  }

  void Walk(const std::string& relative, int depth) {
    const std::string path = JoinPath(root, relative);
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir) {
      found.unreadable.push_back((relative.empty() ? "." : relative) + ": " + std::strerror(errno));
      return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      const std::string child = relative.empty() ? name : relative + "/" + name;
      const std::string child_path = JoinPath(root, child);
      struct stat st {};
      if (::lstat(child_path.c_str(), &st) != 0) {
        continue;
      }
      if (!S_ISDIR(st.st_mode)) {
        found.files.push_back(child);  // links, FIFOs and devices too: opened safely later
      } else if (depth < kSearchDepth && !Skips(name, child_path, st)) {
        Walk(child, depth + 1);
      }
    }
  }
};

// `lower` is the name of one of the exercise's outputs, ignoring case.
bool IsCaseFile(const std::string& lower, const std::vector<std::string>& case_files) {
  return std::any_of(case_files.begin(), case_files.end(),
                     [&](const std::string& name) { return lower == Lower(name); });
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The case's output, found in the submission, or the reason it was not.
OutputPlace FindOutput(const std::string& folder, const std::string& file, const Found& found,
                       const std::vector<std::string>& case_files) {
  OutputPlace place;
  std::vector<std::string> candidates;
  std::string closest;
  for (const std::string& path : found.files) {
    const std::string base = Lower(BaseName(path));
    if (base == Lower(file)) {
      candidates.push_back(path);
    } else if (closest.empty() && EndsWith(base, ".bmp") && OneEditApart(base, Lower(file)) &&
               !IsCaseFile(base, case_files)) {
      closest = path;  // a near miss, not another case's output
    }
  }
  if (candidates.empty()) {
    // A PNG of the case's name, where no BMP is: compared all the same.
    const std::string png = Lower(file.substr(0, file.rfind('.')) + ".png");
    for (const std::string& path : found.files) {
      if (Lower(BaseName(path)) == png) {
        candidates.push_back(path);
      }
    }
  }
  if (candidates.size() == 1) {
    place.output = JoinPath(folder, candidates[0]);
    place.found_as = candidates[0];
  } else if (candidates.size() > 1) {
    place.problem_code = CaseProblem::kSeveralCandidates;
    place.problem = std::to_string(candidates.size()) + " " + CaseProblemWords(place.problem_code) +
                    " " + file + ":";
    for (const std::string& candidate : candidates) {
      place.problem += (candidate == candidates[0] ? " " : ", ") + candidate;
    }
  } else if (!found.unreadable.empty()) {
    place.hint = "a folder could not be searched: " + found.unreadable[0];
  } else if (!closest.empty()) {
    place.hint = "the closest name there is " + closest;
  }
  return place;
}

}  // namespace

std::vector<std::string> OwnFolders(const std::vector<OwnOutput>& own) {
  std::vector<std::string> folders;
  for (const OwnOutput& o : own) {
    if (!o.is_file) {
      folders.push_back(o.path);
    } else {
      const std::size_t slash = o.path.rfind('/');
      folders.push_back(slash == std::string::npos ? "." : o.path.substr(0, slash + 1));
    }
  }
  return folders;
}

struct OutputSearch::Walked {
  Search search;
};

OutputSearch::OutputSearch(std::string folder, std::vector<std::string> skipped,
                           std::vector<std::string> case_files)
    : folder_(std::move(folder)), skipped_(std::move(skipped)), case_files_(std::move(case_files)) {
  if (case_files_.empty()) {
    case_files_.assign(std::begin(output_name), std::end(output_name));
  }
}

OutputSearch::~OutputSearch() = default;

OutputPlace OutputSearch::Place(const Case& c) {
  OutputPlace place;
  place.output = c.output;
  struct stat st {};
  if (!c.problem.empty() || ::lstat(c.output.c_str(), &st) == 0) {
    return place;  // under its own name, whatever it is
  }
  for (const std::string& other : c.alternatives) {
    const std::string path = JoinPath(folder_, other);
    if (::lstat(path.c_str(), &st) == 0) {
      place.output = path;  // under another name the exercise allows
      return place;
    }
  }
  if (!walked_) {
    // The folder is walked once, for the first case that needs it.
    walked_ = std::make_unique<Walked>(Walked{Search{folder_, {}, {}}});
    Search& search = walked_->search;
    for (const std::string& path : skipped_) {
      if (::stat(path.c_str(), &st) == 0) {
        search.skipped.emplace_back(st.st_dev, st.st_ino);
      }
    }
    search.Walk("", 0);
    std::sort(search.found.files.begin(), search.found.files.end());
  }
  OutputPlace found = FindOutput(folder_, BaseName(c.output), walked_->search.found, case_files_);
  for (const std::string& other : c.alternatives) {
    if (!found.output.empty() || !found.problem.empty()) {
      break;
    }
    OutputPlace again = FindOutput(folder_, other, walked_->search.found, case_files_);
    if (!again.output.empty() || !again.problem.empty()) {
      found = std::move(again);
    }
  }
  if (found.output.empty() && found.problem.empty()) {
    found.output = c.output;  // not found: opening it says so
  }
  return found;
}

}  // namespace mae::check
