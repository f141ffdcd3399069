#include "exercise_setup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "exercise.h"
#include "file_names.h"

namespace mae::check {

namespace {

// A file the exercise names that must be there and readable: no problem,
// or the file, the case and what is wrong.
Problem Missing(const std::string& exercise_file, const std::string& what,
                const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || ::access(path.c_str(), R_OK) != 0) {
    return Problem::Setup(exercise_file + ": " + what + " " + path + ": " + std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return Problem::Setup(exercise_file + ": " + what + " " + path + " is not a file");
  }
  return Problem::None();
}

}  // namespace

Problem TakeExercise(const std::string& path, CheckOptions* o) {
  Exercise exercise;
  Problem problem = ReadExercise(path, &exercise);
  if (problem) {
    return problem;
  }
  if (exercise.references.empty()) {
    exercise.references = "ANS";
  }
  const bool pair = o->operands.size() == 2;
  if (!pair) {
    // Every case's reference, where --ans or the file puts them.
    const std::string refs =
        o->ans_folder.value_or(InExerciseFolder(exercise, exercise.references));
    for (const ExerciseCase& c : exercise.cases) {
      problem = Missing(path, "case " + c.name + ": reference", JoinPath(refs, c.reference));
      if (problem) {
        return problem;
      }
    }
    o->ans_folder = refs;
  }
  for (const ExerciseCase& c : exercise.cases) {
    if (!problem && !c.input.empty()) {
      problem = Missing(path, "case " + c.name + ": input",
                        JoinPath(InExerciseFolder(exercise, exercise.inputs), c.input));
    }
  }
  if (problem) {
    return problem;
  }
  // The figures a rule needs are computed and shown.
  MetricSet& metrics = o->rules.metrics;
  for (const ExerciseCase& c : exercise.cases) {
    metrics.rmse = metrics.rmse || c.rmse.has_value();
    metrics.psnr = metrics.psnr || c.psnr.has_value();
    metrics.ssim = metrics.ssim || c.ssim.has_value();
  }
  o->rules.exercise = std::move(exercise);
  return Problem::None();
}

}  // namespace mae::check
