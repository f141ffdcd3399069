// One case of an exercise file, or its [defaults], read against the model.
#ifndef MAE_CHECK_EXERCISE_CASE_H
#define MAE_CHECK_EXERCISE_CASE_H

#include <string>

#include "config_tree.h"
#include "exercise_model.h"

namespace mae::check {

// A case's name: a letter or digit, then letters, digits, '_', '-' and
// '.', at most 100 bytes; safe as a file name and a page anchor.
bool IsCaseName(const std::string& name);

// A [[case]] table into *c, starting from `defaults`: its name (required),
// outputs (default NAME.bmp), reference (default the first output) and any
// other key of the model. Returns no problem, or what is wrong, with its
// place.
[[nodiscard]] Problem ReadCase(const ConfigValue& v, const ExerciseCase& defaults, ExerciseCase* c);

// The [defaults] table: any key of a case but its name, outputs and
// reference.
[[nodiscard]] Problem ReadDefaults(const ConfigValue& v, ExerciseCase* defaults);

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_CASE_H
