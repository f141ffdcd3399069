#include "class_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "class_html.h"
#include "class_reports.h"
#include "class_setup.h"
#include "exit_status.h"
#include "messages.h"
#include "platform_docs.h"
#include "progress_line.h"
#include "run_options.h"
#include "setup.h"
#include "student_files.h"
#include "write_outputs.h"

namespace mae::check {

namespace {

// Prints the class's results on standard output.
void ShowClass(const CheckOptions& o, const std::vector<StudentResult>& results,
               const ClassGroups& groups) {
  const std::string text =
      o.json ? ClassJson(results, groups, o.rules) : ClassText(results, groups, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// Writes the class-wide files asked for; returns what could not be written.
Problems WriteClassFiles(const CheckOptions& o, const std::vector<StudentResult>& results,
                         const ClassGroups& groups, OwnFolderLists* lists) {
  Problems problems;
  if (!o.csv_file.empty()) {
    problems.Add(WriteOutput(o.csv_file, ClassCsv(results)));
  }
  if (!o.report_file.empty()) {
    problems.Add(WriteOutput(o.report_file, ClassOverviewHtml(results, groups, o.rules, false)));
  }
  if (!o.reports_folder.empty() && o.only.empty()) {
    // With --only the index of the whole class stays as it was.
    problems.Add(WriteNoted(&*lists->reports, o.reports_folder + "/index.html",
                            ClassOverviewHtml(results, groups, o.rules, true)));
  }
  if (!o.junit.empty()) {
    std::vector<Suite> suites;
    for (const StudentResult& r : results) {
      suites.push_back({r.student.name, &r.cases, &r.diff_paths});
    }
    problems.Add(WriteOutput(o.junit, JUnitXml(suites)));
  }
  return problems;
}

}  // namespace

int RunClass(const CheckOptions& o) {
  Roster roster;
  const Problem problem = SetupProblem(o, &roster);
  if (problem) {
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
  const Problem nothing = NothingToGrade(*o.class_root, listing);
  if (nothing) {
    Say(nothing);
    return kExitTrouble;
  }
  std::vector<Student>& students = listing.students;
  const Problem unknown = KeepOnly(o, &students);
  if (unknown) {
    Say(unknown);
    return kExitTrouble;
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
          const Problems problems = WriteStudent(o, r, pictures, &lists);
          Say(problems);
          return !problems;
        },
        &trouble);
  }
  ClassGroups groups;
  if (o.only.empty()) {
    groups = MarkIdentical(&results);
  } else {
    Say("identical failing outputs are not looked for with --only: that needs the whole class");
  }
  ShowClass(o, results, groups);
  // Said before standard output is flushed, as each comes.
  const Problems written = WriteClassFiles(o, results, groups, &lists);
  Say(written);
  Problems problems;
  if (std::fflush(stdout) != 0) {
    problems.Add(Problem::Write(std::string("cannot write the results: ") + std::strerror(errno)));
  }
  problems.Add(lists.Finish(o.only.empty()));
  Say(problems);
  if (trouble || written || problems) {
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
