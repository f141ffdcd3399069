// Which pairs of files mae-check compares: the ten test cases of a folder,
// or one pair from the command line.
#ifndef MAE_CHECK_CASE_LIST_H
#define MAE_CHECK_CASE_LIST_H

#include <optional>
#include <string>
#include <vector>

#include "case_problem.h"
#include "exercise_model.h"

namespace mae::check {

struct Case {
  std::string name;    // "Blur1"; for one pair, the output's base name without .bmp
  std::string output;  // paths as opened
  std::string reference;
  std::vector<std::string> alternatives;  // other names the output may have, in its folder
  // Set when the output was looked for rather than given (a class run):
  std::string found_as;  // where it was found, when not under its own name
  std::string hint;      // said after the reason when the output cannot be opened
  // When set, the case is an error without a comparison: this reason, and
  // this code for the output's status (the output is null in JSON when
  // `output` is empty).
  std::string problem;
  CaseProblem problem_code = CaseProblem::kNone;
  bool is_reference = false;  // one pair whose output is its reference file itself
};

// The case stands for a student who handed nothing in (no folder, a linked
// folder, an empty one): no comparison, no pictures, no page.
inline bool NothingHandedIn(const Case& c) {
  return NothingHandedIn(c.problem_code);
}

// The ten test cases under `dir`: dir/Blur1.bmp against dir/ANS/Blur1.bmp
// ..., or against refs/Blur1.bmp ... when a references folder is given.
std::vector<Case> TenCases(const std::string& dir, const std::optional<std::string>& refs = {});
// The cases of an exercise file for the outputs under `dir`, each against
// its reference under `refs`; without an exercise, the ten.
std::vector<Case> PlannedCases(const Exercise* exercise, const std::string& dir,
                               const std::optional<std::string>& refs);
// Every output name of an exercise's cases (without one, the ten).
std::vector<std::string> CaseOutputNames(const Exercise* exercise);
// One pair given on the command line.
Case OnePair(const std::string& output, const std::string& reference);

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_LIST_H
