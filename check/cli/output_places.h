// Where a run's outputs go, held apart from each other and from what is
// graded: no two options share a folder or file, and no output lands in the
// class root, a submission or the references, where it would overwrite a
// student's file, be graded as a student or delete another output's files.
#ifndef MAE_CHECK_OUTPUT_PLACES_H
#define MAE_CHECK_OUTPUT_PLACES_H

#include <string>

#include "check_options.h"
#include "problem.h"

namespace mae::check {

// No problem when the outputs `o` asks for keep apart, else what collides, naming
// both: "--reports out and --diff out name the same folder; give each its
// own". Folders are compared as they resolve, whether they exist yet or
// not. Checked before anything is written.
[[nodiscard]] Problem OutputPlaceProblem(const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_OUTPUT_PLACES_H
