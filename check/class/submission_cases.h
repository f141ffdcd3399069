// A submission's cases, put together in one place from what each step
// finds: the planned cases, where each output is, and whether it is the
// submission's own.
#ifndef MAE_CHECK_SUBMISSION_CASES_H
#define MAE_CHECK_SUBMISSION_CASES_H

#include <optional>
#include <string>
#include <vector>

#include "case_list.h"

namespace mae::check {

// The cases of the outputs in `folder` against `refs` (or folder/ANS):
// each output under its own name or found below the folder (OutputSearch,
// leaving out the folders in `skipped`), and refused when it is its
// reference or, with `submission` (a class's student, or a folder checked
// against --ans), leads out of it (ForeignProblem).
// `exercise`: the exercise file's cases (nullptr: the ten).
std::vector<Case> SubmissionCases(const Exercise* exercise, const std::string& folder,
                                  const std::optional<std::string>& refs,
                                  const std::vector<std::string>& skipped,
                                  const std::optional<std::string>& submission);

}  // namespace mae::check

#endif  // MAE_CHECK_SUBMISSION_CASES_H
