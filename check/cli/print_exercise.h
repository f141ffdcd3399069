// --print-exercise: the exercise in force, as an exercise file.
#ifndef MAE_CHECK_PRINT_EXERCISE_H
#define MAE_CHECK_PRINT_EXERCISE_H

#include "check_options.h"
#include "exercise_model.h"
#include "problem.h"

namespace mae::check {

// The exercise a run with these options grades, the rule options merged
// in: the ten built-in cases (references in --ans, or ANS beside the
// outputs), or, with --ans and no folder of outputs, one case for each
// BMP or PNG picture in --ans whose name makes a case name. `defaults`
// gets what every case shares; a problem when --ans cannot be read.
[[nodiscard]] Problem ExerciseInForce(const CheckOptions& o, Exercise* exercise,
                                      ExerciseCase* defaults);

// Prints it as TOML on standard output; the exit status.
int PrintExercise(const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_PRINT_EXERCISE_H
