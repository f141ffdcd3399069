// An exercise file taken into a run's options (--exercise): its cases and
// rules, the references' folder unless --ans names one, and the metrics
// its rules need.
#ifndef MAE_CHECK_EXERCISE_SETUP_H
#define MAE_CHECK_EXERCISE_SETUP_H

#include <string>

#include "check_options.h"
#include "problem.h"

namespace mae::check {

// Reads the exercise file at `path` into *o and checks, before anything is
// graded, that its references and inputs are there: no problem, or a setup
// problem naming the file and where in it.
[[nodiscard]] Problem TakeExercise(const std::string& path, CheckOptions* o);

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_SETUP_H
