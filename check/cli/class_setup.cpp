#include "class_setup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "messages.h"
#include "setup.h"
#include "shown_text.h"
#include "student_names.h"
#include "written_files.h"

namespace mae::check {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

// The regular files directly in `root` whose names end in ".zip", any case.
std::size_t ZipFiles(const std::string& root) {
  const std::unique_ptr<DIR, DirCloser> dir(::opendir(root.c_str()));
  std::size_t count = 0;
  while (dir) {
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      break;
    }
    std::string name = entry->d_name;
    std::transform(name.begin(), name.end(), name.begin(), [](char ch) {
      return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch;
    });
    struct stat st {};
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".zip") == 0 &&
        ::stat((root + "/" + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      ++count;
    }
  }
  return count;
}

}  // namespace

Problem SetupProblem(const CheckOptions& o, Roster* roster) {
  const Problem no_class = NotAFolder(*o.class_root);
  if (no_class) {
    return Problem::Setup("--class " + no_class.words() +
                          "; expected a folder with one sub-folder per submission");
  }
  const Problem no_ans = NotAFolder(*o.ans_folder);
  if (no_ans) {
    return Problem::Setup("--ans " + no_ans.words() +
                          "; expected the folder of the ten references");
  }
  const Problem input = InputProblem(o.rules);
  if (input) {
    return input;
  }
  if (!o.roster_file.empty()) {
    const std::string why = ReadRoster(o.roster_file, roster);
    if (!why.empty()) {
      return Problem::Setup("cannot read the roster " + o.roster_file + ": " + why);
    }
  }
  // Created before the class is listed, so that a folder of the tool's
  // own inside the class is known for what it is.
  for (const std::string& folder : {o.reports_folder.empty() ? "" : o.reports_folder + "/students",
                                    o.reports_folder.empty() ? "" : o.reports_folder + "/shared",
                                    o.gradescope, o.prairielearn, o.diff_folder}) {
    std::error_code error;
    if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
      return Problem::Write("cannot create " + folder + ": " + error.message());
    }
  }
  return Problem::None();
}

Problem KeepOnly(const CheckOptions& o, std::vector<Student>* students) {
  if (o.only.empty()) {
    return Problem::None();
  }
  std::vector<Student> kept;
  std::string unknown;
  std::vector<std::string> keys;
  for (const std::string& name : o.only) {
    keys.push_back(NameKey(name));
    const bool known = std::any_of(students->begin(), students->end(), [&](const Student& s) {
      return NameKey(s.name) == keys.back();
    });
    if (!known) {
      unknown += (unknown.empty() ? "" : ", ") + name;
    }
  }
  for (Student& s : *students) {
    if (std::find(keys.begin(), keys.end(), NameKey(s.name)) != keys.end()) {
      kept.push_back(std::move(s));
    }
  }
  *students = std::move(kept);
  if (unknown.empty()) {
    return Problem::None();
  }
  return Problem::Usage("--only " + unknown + ": no such student under " + *o.class_root +
                        (o.roster_file.empty() ? "" : " or on the roster"));
}

Problem NothingToGrade(const std::string& root, const ClassListing& listing) {
  const bool any_folder =
      !listing.linked.empty() ||
      std::any_of(listing.students.begin(), listing.students.end(),
                  [](const Student& s) { return s.handed != Student::Handed::kNothing; });
  if (any_folder) {
    return Problem::None();
  }
  std::string why = "no submission folders in " + root;
  const std::size_t zips = ZipFiles(root);
  if (zips > 0) {
    why += "; " + std::to_string(zips) + (zips == 1 ? " .zip file" : " .zip files") +
           " found: extract them first";
  }
  return Problem::Setup(why);
}

void SayListing(const ClassListing& listing, const CheckOptions& o) {
  if (!listing.left_out.empty()) {
    std::string names;
    for (const std::string& name : listing.left_out) {
      names += (names.empty() ? "" : ", ") + name;
    }
    Say("not graded, being mae-check's own folders: " + names);
  }
  for (const std::string& name : listing.linked) {
    Say(name + " is a symbolic link to a folder: not followed, not graded");
  }
  for (const auto& [first, second] : listing.same_names) {
    SayShown(CodePointsEscaped(Shown(first)) + " and " + CodePointsEscaped(Shown(second)) +
             " are one name in Unicode; both are graded");
  }
  for (const std::string& folder : listing.list_ignored) {
    Say(folder + " holds a " + kWrittenListName +
        " list but files mae-check did not write: the list is ignored and it is graded");
  }
  const bool roster_matched = std::any_of(
      listing.students.begin(), listing.students.end(),
      [](const Student& s) { return s.on_roster && s.handed != Student::Handed::kNothing; });
  if (!o.roster_file.empty() && !roster_matched &&
      std::any_of(listing.students.begin(), listing.students.end(),
                  [](const Student& s) { return s.on_roster; })) {
    Say("no name on the roster " + o.roster_file + " matches a folder in " + *o.class_root);
  }
}

}  // namespace mae::check
