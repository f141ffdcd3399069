#include "folder_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "exit_status.h"
#include "html_report.h"
#include "json_report.h"
#include "messages.h"
#include "platform_docs.h"
#include "run_cases.h"
#include "run_options.h"
#include "setup.h"
#include "text_report.h"
#include "write_outputs.h"
#include "written_files.h"

namespace mae::check {

namespace {

// The JUnit suite's name: the folder's base name, or for one pair the
// output's folder's.
std::string SuiteName(const CheckOptions& o) {
  namespace fs = std::filesystem;
  fs::path folder = o.operands.size() == 2 ? fs::path(o.operands[0]).parent_path()
                                           : fs::path(o.operands.empty() ? "." : o.operands[0]);
  std::error_code error;
  const fs::path absolute = fs::absolute(folder, error).lexically_normal();
  std::string name = (error ? folder : absolute).filename().string();
  if (name.empty()) {
    name = (error ? folder : absolute).parent_path().filename().string();
  }
  return name.empty() ? "mae-check" : name;
}

}  // namespace

int RunFolder(const CheckOptions& o) {
  const Setup setup = PlanCases(o);
  if (setup.problem) {
    Say(setup.problem);
    return kExitTrouble;
  }
  std::vector<CasePictures> pictures;
  const RunOptions options = RunOptionsFor(o);
  SharedPictures shared(options.max_pixels);
  const std::vector<CaseResult> results = RunCases(setup.cases, options, &shared, &pictures);

  bool trouble = false;
  std::vector<std::string> diff_paths;
  if (!o.diff_folder.empty()) {
    // The folder's list of pictures: those of cases not pictured this time
    // go, as they no longer show this folder's outputs.
    WrittenFiles list(o.diff_folder);
    Problems problems = WriteDiffPictures(o.diff_folder, results, pictures, &diff_paths, &list);
    problems.Add(list.Finish(true));
    Say(problems);
    trouble = static_cast<bool>(problems);
  }
  const std::string text = o.github_classroom ? GitHubClassroomLine(results)
                           : o.json           ? JsonReport(results, o.rules, diff_paths)
                                              : TextReport(results, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
  Problems problems;
  if (!o.report_file.empty()) {
    problems.Add(WriteOutput(o.report_file, HtmlReport(results, pictures, o.rules)));
  }
  problems.Add(WritePlatformDocs(results, pictures, o.gradescope, o.prairielearn));
  if (!o.junit.empty()) {
    problems.Add(WriteOutput(o.junit, JUnitXml({{SuiteName(o), &results, &diff_paths}})));
  }
  Say(problems);
  trouble = trouble || problems;
  if (std::fflush(stdout) != 0) {
    Say(std::string("cannot write the results: ") + std::strerror(errno));
    trouble = true;
  }
  if (trouble) {
    return kExitTrouble;
  }
  for (const CaseResult& r : results) {
    if (r.verdict != Verdict::kPass) {
      return kExitNotAllPass;
    }
  }
  return kExitAllPass;
}

}  // namespace mae::check
