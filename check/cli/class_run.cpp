#include "class_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include "class_html.h"
#include "class_reports.h"
#include "exit_status.h"
#include "html_report.h"
#include "platform_docs.h"
#include "setup.h"
#include "student_names.h"
#include "write_outputs.h"
#include "written_files.h"

namespace mae::check {

namespace {

// "graded 120 of 200 students", kept up to date in place on a terminal at
// most ten times a second; nothing when standard error is not a terminal.
class Progress {
 public:
  explicit Progress(std::size_t total) : total_(total), shown_(::isatty(2) == 1) {}
  ~Progress() {
    if (shown_ && drawn_) {
      std::fputs("\r\033[K", stderr);
    }
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Graded(std::size_t done) {
    const auto now = std::chrono::steady_clock::now();
    if (!shown_ || (drawn_ && now - last_ < std::chrono::milliseconds(100))) {
      return;
    }
    std::fprintf(stderr, "\rgraded %zu of %zu students", done, total_);
    last_ = now;
    drawn_ = true;
  }

 private:
  std::size_t total_;
  bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_;
};

// The folders the class run writes into, each with its list of files.
struct OwnFolderLists {
  std::optional<WrittenFiles> reports, diff, gradescope, prairielearn;
  std::set<std::string> shared_written;  // the shared pictures written this run

  explicit OwnFolderLists(const CheckOptions& o) {
    for (auto [folder, list] : {std::pair{&o.reports_folder, &reports},
                                {&o.diff_folder, &diff},
                                {&o.gradescope, &gradescope},
                                {&o.prairielearn, &prairielearn}}) {
      if (!folder->empty()) {
        list->emplace(*folder);
      }
    }
  }

  // Removes the files of a previous run that this one did not write (not
  // when only some students were graded) and writes the lists.
  bool Finish(bool remove_stale) {
    bool ok = true;
    for (std::optional<WrittenFiles>* list : {&reports, &diff, &gradescope, &prairielearn}) {
      if (*list) {
        const std::string problem = (*list)->Finish(remove_stale);
        if (!problem.empty()) {
          Say(problem);
          ok = false;
        }
      }
    }
    return ok;
  }
};

// Writes `bytes` to `path` and notes it in `list`; false after saying why not.
bool WriteNoted(const std::string& path, const std::string& bytes,
                std::optional<WrittenFiles>* list) {
  if (!WriteOrSay(path, bytes)) {
    return false;
  }
  (*list)->Add(path);
  return true;
}

// Writes one student's pictures and page, as asked for.
bool WriteStudent(const CheckOptions& o, StudentResult& r,
                  const std::vector<CasePictures>& pictures, OwnFolderLists* lists) {
  const std::string file = StudentFileName(r.student.name);
  bool ok = true;
  if (!o.gradescope.empty()) {
    ok = WriteNoted(o.gradescope + "/" + file + ".json", GradescopeJson(r.cases),
                    &lists->gradescope);
  }
  if (!o.prairielearn.empty()) {
    const std::string path = o.prairielearn + "/" + file + ".json";
    const bool written = WritePlatformDocs(r.cases, pictures, "", path);
    if (written) {
      lists->prairielearn->Add(path);
    }
    ok = written && ok;
  }
  if (!r.student.Submitted()) {
    return ok;  // nothing handed in: no pictures or page
  }
  if (!o.diff_folder.empty()) {
    ok = WriteDiffPictures(o.diff_folder + "/" + file, r.cases, pictures, &r.diff_paths) && ok;
    for (const std::string& path : r.diff_paths) {
      if (!path.empty()) {
        lists->diff->Add(path);
      }
    }
  }
  if (!o.reports_folder.empty()) {
    const StudentPage page{r.student.name, "../index.html", "../shared"};
    std::vector<SharedPicture> shared;
    ok = WriteNoted(o.reports_folder + "/students/" + file + ".html",
                    HtmlReport(r.cases, pictures, o.rules, &page, &shared), &lists->reports) &&
         ok;
    // Each shared picture once a run; the same key is the same picture.
    for (const SharedPicture& picture : shared) {
      if (lists->shared_written.insert(picture.key).second) {
        ok = WriteNoted(o.reports_folder + "/shared/" + picture.key + ".js",
                        SharedPictureScript(picture), &lists->reports) &&
             ok;
      }
    }
  }
  return ok;
}

// What is wrong with the folders or the roster, or "".
std::string SetupProblem(const CheckOptions& o, Roster* roster) {
  std::string why = NotAFolder(*o.class_root);
  if (!why.empty()) {
    return "--class " + why + "; expected a folder with one sub-folder per submission";
  }
  why = NotAFolder(*o.ans_folder);
  if (!why.empty()) {
    return "--ans " + why + "; expected the folder of the ten references";
  }
  why = InputProblem(o.rules);
  if (!why.empty()) {
    return why;
  }
  if (!o.roster_file.empty()) {
    why = ReadRoster(o.roster_file, roster);
    if (!why.empty()) {
      return "cannot read the roster " + o.roster_file + ": " + why;
    }
  }
  // Created before the class is listed, so that a folder of the tool's
  // own inside the class is known for what it is.
  for (const std::string& folder : {o.reports_folder.empty() ? "" : o.reports_folder + "/students",
                                    o.reports_folder.empty() ? "" : o.reports_folder + "/shared",
                                    o.gradescope, o.prairielearn, o.diff_folder}) {
    std::error_code error;
    if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
      return "cannot create " + folder + ": " + error.message();
    }
  }
  return {};
}

// Says what the listing left out or found odd, once each, on standard error.
void SayListing(const ClassListing& listing) {
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
    Say(first + " and " + second + " are one name in Unicode; both are graded");
  }
}

// Keeps the students --only names; "" or the names that match no student.
std::string KeepOnly(const std::vector<std::string>& only, std::vector<Student>* students) {
  std::vector<Student> kept;
  std::string unknown;
  std::vector<std::string> keys;
  for (const std::string& name : only) {
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
  return unknown;
}

// Prints the class's results and writes the class-wide files asked for;
// false when one of them cannot be written.
bool ShowClass(const CheckOptions& o, const std::vector<StudentResult>& results,
               OwnFolderLists* lists) {
  bool ok = true;
  const std::string text = o.json ? ClassJson(results, o.rules) : ClassText(results, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!o.csv_file.empty()) {
    ok = WriteOrSay(o.csv_file, ClassCsv(results)) && ok;
  }
  if (!o.report_file.empty()) {
    ok = WriteOrSay(o.report_file, ClassOverviewHtml(results, o.rules, false)) && ok;
  }
  if (!o.reports_folder.empty() && o.only.empty()) {
    // With --only the index of the whole class stays as it was.
    ok = WriteNoted(o.reports_folder + "/index.html", ClassOverviewHtml(results, o.rules, true),
                    &lists->reports) &&
         ok;
  }
  if (!o.junit.empty()) {
    std::vector<Suite> suites;
    for (const StudentResult& r : results) {
      suites.push_back({r.student.name, &r.cases, &r.diff_paths});
    }
    ok = WriteOrSay(o.junit, JUnitXml(suites)) && ok;
  }
  if (std::fflush(stdout) != 0) {
    Say(std::string("cannot write the results: ") + std::strerror(errno));
    ok = false;
  }
  return ok;
}

}  // namespace

int RunClass(const CheckOptions& o) {
  Roster roster;
  const std::string problem = SetupProblem(o, &roster);
  if (!problem.empty()) {
    Say(problem);
    return kExitTrouble;
  }
  for (const std::string& name : roster.duplicates) {
    Say(name + " is on the roster more than once; counted once");
  }
  ClassListing listing;
  const std::string why =
      ListStudents(*o.class_root, *o.ans_folder, o.roster_file.empty() ? nullptr : &roster,
                   OwnOutputs(o), &listing);
  if (!why.empty()) {
    Say("cannot read --class " + *o.class_root + ": " + why);
    return kExitTrouble;
  }
  std::vector<Student>& students = listing.students;
  if (!o.only.empty()) {
    const std::string unknown = KeepOnly(o.only, &students);
    if (!unknown.empty()) {
      Say("--only " + unknown + ": no such student under " + *o.class_root +
          (o.roster_file.empty() ? "" : " or on the roster"));
      return kExitTrouble;
    }
  }
  SayListing(listing);
  const RunOptions run = RunOptionsFor(o);
  OwnFolderLists lists(o);
  bool trouble = false;
  std::vector<StudentResult> results;
  {
    Progress progress(students.size());
    std::size_t done = 0;
    results = GradeClass(
        students, *o.ans_folder, SkippedFolders(o), run,
        [&](StudentResult& r, const std::vector<CasePictures>& pictures) {
          progress.Graded(++done);
          return WriteStudent(o, r, pictures, &lists);
        },
        &trouble);
  }
  if (o.only.empty()) {
    MarkIdentical(&results);
  } else {
    Say("identical failing outputs are not looked for with --only: that needs the whole class");
  }
  if (!ShowClass(o, results, &lists)) {
    trouble = true;
  }
  if (!lists.Finish(o.only.empty())) {
    trouble = true;
  }
  if (trouble) {
    return kExitTrouble;
  }
  for (const StudentResult& r : results) {
    if (r.counts.passed != r.cases.size()) {
      return kExitNotAllPass;
    }
  }
  return kExitAllPass;
}

}  // namespace mae::check
