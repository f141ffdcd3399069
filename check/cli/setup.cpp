#include "setup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "own_files.h"
#include "submission_cases.h"

namespace mae::check {

Problem NotAFolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return Problem::Setup(path + ": " + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) {
    return Problem::None();
  }
  return Problem::Setup(path +
                        (S_ISREG(st.st_mode) ? " is a file, not a folder" : " is not a folder"));
}

Problem InputProblem(const CaseRules& rules) {
  std::vector<std::string> paths;
  if (!rules.default_input.empty()) {
    paths.push_back(rules.default_input);
  }
  for (const CaseRules::InputPattern& p : rules.input_patterns) {
    paths.push_back(p.path);
  }
  for (const std::string& path : paths) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      return Problem::Setup("--input " + path + ": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
      return Problem::Setup("--input " + path +
                            " is not a file; expected the exercise's input picture");
    }
    if (::access(path.c_str(), R_OK) != 0) {
      return Problem::Setup("--input " + path + ": " + std::strerror(errno));
    }
  }
  return Problem::None();
}

Setup PlanCases(const CheckOptions& o) {
  Setup setup;
  setup.problem = InputProblem(o.rules);
  if (setup.problem) {
    return setup;
  }
  if (o.operands.size() == 2) {
    Case pair = OnePair(o.operands[0], o.operands[1]);
    pair.is_reference = IsItsReference(pair);
    setup.cases.push_back(std::move(pair));
    return setup;
  }
  const std::string dir = o.operands.empty() ? "." : o.operands[0];
  const Problem not_folder = NotAFolder(dir);
  if (not_folder) {
    struct stat st {};
    const bool file = ::stat(dir.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    setup.problem = Problem::Setup(
        not_folder.words() + (file ? "; to check one pair, give OUTPUT and REFERENCE"
                                   : "; expected the folder of the ten outputs (Blur1.bmp ...)"));
    return setup;
  }
  if (o.ans_folder) {
    const Problem not_ans = NotAFolder(*o.ans_folder);
    if (not_ans) {
      setup.problem = Problem::Setup("--ans " + not_ans.words() +
                                     "; expected the folder of the ten references");
      return setup;
    }
  } else {
    const std::string ans = dir == "." ? "ANS" : dir + (dir.back() == '/' ? "ANS" : "/ANS");
    if (NotAFolder(ans)) {
      setup.problem = Problem::Setup(dir + " has no ANS folder; expected the ten references in " +
                                     ans + " (Blur1.bmp ...), or their folder named with --ans");
      return setup;
    }
  }
  // With --ans the folder is a submission, checked against references
  // kept elsewhere: its outputs must be its own files.
  const Exercise* exercise = o.rules.exercise ? &*o.rules.exercise : nullptr;
  setup.cases = SubmissionCases(exercise, dir, o.ans_folder, SkippedFolders(o),
                                o.ans_folder ? std::optional<std::string>(dir) : std::nullopt);
  return setup;
}

std::vector<OwnOutput> OwnOutputs(const CheckOptions& o) {
  const bool per_student = o.class_root.has_value();
  const OwnOutput all[] = {
      {o.reports_folder, "--reports", false},
      {o.diff_folder, "--diff", false},
      {o.gradescope, "--gradescope", !per_student},
      {o.prairielearn, "--prairielearn", !per_student},
      {o.csv_file, "--csv", true},
      {o.junit, "--junit", true},
      {o.report_file, "--report", true},
  };
  std::vector<OwnOutput> own;
  for (const OwnOutput& output : all) {
    if (!output.path.empty()) {
      own.push_back(output);
    }
  }
  return own;
}

std::vector<std::string> SkippedFolders(const CheckOptions& o) {
  std::vector<std::string> skipped = OwnFolders(OwnOutputs(o));
  if (o.ans_folder) {
    skipped.push_back(*o.ans_folder);
  }
  return skipped;
}

}  // namespace mae::check
