// mae-check: checks image-processing outputs against their reference images
// and says, per case, whether each passes.
//
//   mae-check [OPTIONS] [DIR]              the ten test cases under DIR
//   mae-check [OPTIONS] OUTPUT REFERENCE   one pair
//
// Results go to standard output, problems to standard error. Exit status:
// 0 when every case passes, 1 when any fails or has an error, 2 on a usage
// error, a folder that is not there, or a picture or report that cannot be
// written.
#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "class_main.h"
#include "html_report.h"
#include "json_report.h"
#include "options.h"
#include "platform_docs.h"
#include "run_cases.h"
#include "setup.h"
#include "text_report.h"
#include "write_outputs.h"
#include "written_files.h"

namespace {

constexpr int kAllPass = 0;
constexpr int kNotAllPass = 1;
constexpr int kTrouble = 2;

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

int Run(const CheckOptions& o) {
  const Setup setup = PlanCases(o);
  if (!setup.problem.empty()) {
    Say(setup.problem);
    return kTrouble;
  }
  std::vector<CaseResult> results = RunCases(setup.cases, RunOptionsFor(o));

  bool trouble = false;
  if (!o.diff_folder.empty()) {
    // The folder's list of pictures: those of cases not pictured this time
    // go, as they no longer show this folder's outputs.
    std::vector<std::string> written;
    trouble = !WriteDiffPictures(o.diff_folder, &results, &written);
    WrittenFiles list(o.diff_folder);
    for (const std::string& path : written) {
      list.Add(path);
    }
    const std::string problem = list.Finish(true);
    if (!problem.empty()) {
      Say(problem);
      trouble = true;
    }
  }
  const std::string text = o.github_classroom ? GitHubClassroomLine(results)
                           : o.json           ? JsonReport(results, o.rules)
                                              : TextReport(results, o.rules);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!o.report_file.empty() && !WriteOrSay(o.report_file, HtmlReport(results, o.rules))) {
    trouble = true;
  }
  if (!WritePlatformDocs(results, o.gradescope, o.prairielearn)) {
    trouble = true;
  }
  if (!o.junit.empty() && !WriteOrSay(o.junit, JUnitXml({{SuiteName(o), &results}}))) {
    trouble = true;
  }
  if (std::fflush(stdout) != 0) {
    Say(std::string("cannot write the results: ") + std::strerror(errno));
    trouble = true;
  }
  if (trouble) {
    return kTrouble;
  }
  for (const CaseResult& r : results) {
    if (r.verdict != Verdict::kPass) {
      return kNotAllPass;
    }
  }
  return kAllPass;
}

}  // namespace

int main(int argc, char** argv) {
  // Pictures and pages take buffers of a few megabytes, one after another:
  // keep freed ones for the next rather than handing them back to the
  // kernel and faulting fresh pages in each time (a sixth of a report's
  // time). Blocks of 64 MiB and more still come and go on their own.
  ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
  try {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    if (!parsed.options) {
      return parsed.exit_status;
    }
    return parsed.options->class_root ? RunClass(*parsed.options) : Run(*parsed.options);
  } catch (const std::exception& e) {
    // Out of memory or a thread that cannot start: said, never a crash.
    std::fprintf(stderr, "mae-check: %s\n", e.what());
    return kTrouble;
  }
}
