#include "class_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "class_html.h"
#include "class_reports.h"
#include "class_setup.h"
#include "exit_status.h"
#include "platform_docs.h"
#include "progress_line.h"
#include "setup.h"
#include "student_files.h"
#include "student_names.h"
#include "write_outputs.h"

namespace mae::check {

namespace {

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
               const ClassGroups& groups, OwnFolderLists* lists) {
  bool ok = true;
  const std::string text =
      o.json ? ClassJson(results, groups, o.rules) : ClassText(results, groups, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!o.csv_file.empty()) {
    ok = WriteOrSay(o.csv_file, ClassCsv(results)) && ok;
  }
  if (!o.report_file.empty()) {
    ok = WriteOrSay(o.report_file, ClassOverviewHtml(results, groups, o.rules, false)) && ok;
  }
  if (!o.reports_folder.empty() && o.only.empty()) {
    // With --only the index of the whole class stays as it was.
    ok = WriteNoted(&*lists->reports, o.reports_folder + "/index.html",
                    ClassOverviewHtml(results, groups, o.rules, true)) &&
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
  const std::string nothing = NothingToGrade(*o.class_root, listing);
  if (!nothing.empty()) {
    Say(nothing);
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
  SayListing(listing, o);
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
  ClassGroups groups;
  if (o.only.empty()) {
    groups = MarkIdentical(&results);
  } else {
    Say("identical failing outputs are not looked for with --only: that needs the whole class");
  }
  if (!ShowClass(o, results, groups, &lists)) {
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
