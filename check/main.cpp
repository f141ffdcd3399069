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
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "html_report.h"
#include "json_report.h"
#include "options.h"
#include "output_file.h"
#include "run_cases.h"
#include "setup.h"
#include "shown_text.h"
#include "text_report.h"

namespace {

constexpr int kAllPass = 0;
constexpr int kNotAllPass = 1;
constexpr int kTrouble = 2;

// A problem, on standard error, with what came from outside shown safely.
void Say(const std::string& problem) {
  std::fprintf(stderr, "mae-check: %s\n", Shown(problem).c_str());
}

bool Write(const std::string& path, const std::string& bytes) {
  const std::string error = WriteOutputFile(path, bytes);
  if (!error.empty()) {
    Say("cannot write " + path + ": " + error);
  }
  return error.empty();
}

// Writes the difference picture of every compared case into `folder`,
// noting each path written in *paths; false when the folder or any picture
// cannot be written.
bool WriteDiffPictures(const std::string& folder, const std::vector<CaseResult>& results,
                       std::vector<std::string>* paths) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    Say("cannot create " + folder + ": " + error.message());
    return false;
  }
  bool ok = true;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const CaseResult& r = results[i];
    if (r.diff_png.empty()) {
      if (r.comparison.state == CompareState::kCompared) {
        Say(r.test_case.name + ": " + r.picture_error);
        ok = false;
      }
      continue;
    }
    const std::string path = (std::filesystem::path(folder) / (r.test_case.name + ".png")).string();
    if (Write(path, r.diff_png)) {
      (*paths)[i] = path;
    } else {
      ok = false;
    }
  }
  return ok;
}

int Run(const CheckOptions& o) {
  const Setup setup = PlanCases(o);
  if (!setup.problem.empty()) {
    Say(setup.problem);
    return kTrouble;
  }
  RunOptions run;
  run.max_mae = o.max_mae;
  run.diff_pictures = !o.diff_folder.empty() || !o.report_file.empty();
  run.whole_pictures = !o.report_file.empty();
  const std::vector<CaseResult> results = RunCases(setup.cases, run);

  bool trouble = false;
  std::vector<std::string> diff_paths(results.size());
  if (!o.diff_folder.empty() && !WriteDiffPictures(o.diff_folder, results, &diff_paths)) {
    trouble = true;
  }
  const std::string text =
      o.json ? JsonReport(results, o.max_mae, diff_paths) : TextReport(results, o.max_mae);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!o.report_file.empty() && !Write(o.report_file, HtmlReport(results, o.max_mae))) {
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
  try {
    const ParsedOptions parsed = ParseOptions(argc, argv);
    return parsed.options ? Run(*parsed.options) : parsed.exit_status;
  } catch (const std::exception& e) {
    // Out of memory or a thread that cannot start: said, never a crash.
    std::fprintf(stderr, "mae-check: %s\n", e.what());
    return kTrouble;
  }
}
