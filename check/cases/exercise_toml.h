// An exercise written back as an exercise file (TOML) that reads back as
// the same exercise: what --print-exercise prints.
#ifndef MAE_CHECK_EXERCISE_TOML_H
#define MAE_CHECK_EXERCISE_TOML_H

#include <string>

#include "exercise_model.h"

namespace mae::check {

// The exercise as TOML: its title and folders, `[defaults]` from
// `defaults` (only what differs from a case's own defaults), then a
// `[[case]]` a case with what differs from `defaults`. Strings are quoted
// and escaped by toml++, so any file name reads back as itself.
std::string ExerciseToml(const Exercise& exercise, const ExerciseCase& defaults);

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_TOML_H
