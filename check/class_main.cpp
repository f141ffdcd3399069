#include "class_main.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "class_html.h"
#include "class_reports.h"
#include "html_report.h"
#include "platform_docs.h"
#include "setup.h"
#include "write_outputs.h"

namespace {

constexpr int kTrouble = 2;

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

// Writes one student's pictures and page, as asked for.
bool WriteStudent(const CheckOptions& o, StudentResult& r) {
  const std::string file = StudentFileName(r.student.name);
  bool ok =
      WritePlatformDocs(r.cases, o.gradescope.empty() ? "" : o.gradescope + "/" + file + ".json",
                        o.prairielearn.empty() ? "" : o.prairielearn + "/" + file + ".json");
  if (r.student.folder.empty()) {
    return ok;  // nothing handed in: no pictures or page
  }
  if (!o.diff_folder.empty()) {
    ok = WriteDiffPictures(o.diff_folder + "/" + file, &r.cases) && ok;
  }
  if (!o.reports_folder.empty()) {
    ok = WriteOrSay(o.reports_folder + "/students/" + file + ".html",
                    HtmlReport(r.cases, o.rules)) &&
         ok;
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
  if (!o.roster_file.empty()) {
    why = ReadRoster(o.roster_file, roster);
    if (!why.empty()) {
      return "cannot read the roster " + o.roster_file + ": " + why;
    }
  }
  for (const std::string& folder : {o.reports_folder.empty() ? "" : o.reports_folder + "/students",
                                    o.gradescope, o.prairielearn}) {
    std::error_code error;
    if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
      return "cannot create " + folder + ": " + error.message();
    }
  }
  return {};
}

// Prints the class's results and writes the class-wide files asked for;
// false when one of them cannot be written.
bool ShowClass(const CheckOptions& o, const std::vector<StudentResult>& results) {
  bool ok = true;
  const std::string text = o.json ? ClassJson(results, o.rules) : ClassText(results, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!o.csv_file.empty()) {
    ok = WriteOrSay(o.csv_file, ClassCsv(results)) && ok;
  }
  if (!o.report_file.empty()) {
    ok = WriteOrSay(o.report_file, ClassOverviewHtml(results, o.rules, false)) && ok;
  }
  if (!o.reports_folder.empty()) {
    ok = WriteOrSay(o.reports_folder + "/index.html", ClassOverviewHtml(results, o.rules, true)) &&
         ok;
  }
  if (!o.junit.empty()) {
    std::vector<Suite> suites;
    for (const StudentResult& r : results) {
      suites.push_back({r.student.name, &r.cases});
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
    return kTrouble;
  }
  for (const std::string& name : roster.duplicates) {
    Say(name + " is on the roster more than once; counted once");
  }
  std::vector<Student> students;
  const std::string why = ListStudents(*o.class_root, *o.ans_folder,
                                       o.roster_file.empty() ? nullptr : &roster, &students);
  if (!why.empty()) {
    Say("cannot read --class " + *o.class_root + ": " + why);
    return kTrouble;
  }
  const RunOptions run = RunOptionsFor(o);
  bool trouble = false;
  std::vector<StudentResult> results;
  {
    Progress progress(students.size());
    std::size_t done = 0;
    results = GradeClass(
        students, *o.ans_folder, run,
        [&](StudentResult& r) {
          progress.Graded(++done);
          return WriteStudent(o, r);
        },
        &trouble);
  }
  MarkIdentical(&results);
  if (!ShowClass(o, results)) {
    trouble = true;
  }
  if (trouble) {
    return kTrouble;
  }
  for (const StudentResult& r : results) {
    if (r.passed != r.cases.size()) {
      return 1;
    }
  }
  return 0;
}
