// An exercise: its cases, the files each compares, the rules each is held
// to, its points and its words, as a course writes them in an exercise
// file (TOML, or the same model in JSON).
#ifndef MAE_CHECK_EXERCISE_H
#define MAE_CHECK_EXERCISE_H

#include <string>

#include "exercise_model.h"
#include "problem.h"

namespace mae::check {

// Reads the exercise file at `path`: JSON when its name ends in ".json",
// else TOML. Its folders are relative to the folder the file is in
// (Exercise::folder).
// Returns no problem, or what is wrong, naming the file and the line and key
// (TOML) or the JSON pointer: "ex.toml:12: case.mae: 300 is out of range (0
// to 255)".
[[nodiscard]] Problem ReadExercise(const std::string& path, Exercise* exercise);

// The same, from the file's text (`name` is the file's name in messages).
[[nodiscard]] Problem ParseExercise(const std::string& text, const std::string& name, bool json,
                                    Exercise* exercise);

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_H
