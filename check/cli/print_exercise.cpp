#include "print_exercise.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "MAE.h"
#include "exercise_case.h"
#include "exercise_toml.h"
#include "exit_status.h"
#include "messages.h"

namespace mae::check {

namespace {

// The case names of the pictures in `folder`: BMP and PNG files, in byte
// order of their names; others, and names that make no case name, are
// said on standard error and left out.
Problem PicturesIn(const std::string& folder, std::vector<std::string>* files) {
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) {
    return Problem::Setup("--ans " + folder + ": " + error.message());
  }
  for (const auto& entry : it) {
    std::error_code type_error;
    const std::filesystem::path& path = entry.path();
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (!entry.is_regular_file(type_error) || (extension != ".bmp" && extension != ".png")) {
      continue;
    }
    if (!IsCaseName(path.stem().string())) {
      Say(Problem::Setup("--ans " + path.string() + ": not a case name, left out"));
      continue;
    }
    files->push_back(path.filename().string());
  }
  std::sort(files->begin(), files->end());
  return Problem::None();
}

// The exercise file's exercise, the rule options merged into each case.
void FileInForce(const CheckOptions& o, Exercise* exercise, ExerciseCase* defaults) {
  const CaseRules& rules = o.rules;
  *exercise = *rules.exercise;
  // The folders as the file names them, unless --ans names another.
  if (o.ans_folder && *o.ans_folder != InExerciseFolder(*exercise, exercise->references)) {
    exercise->references = *o.ans_folder;
  }
  *defaults = exercise->defaults;
  for (ExerciseCase& c : exercise->cases) {
    const ExerciseCase merged = rules.RulesFor(c.name);
    c.mae = merged.mae;
    c.points = merged.points;
    c.max_difference = merged.max_difference;
    c.border = merged.border;
    c.strict = merged.strict;
    c.diagnoses = c.diagnoses && o.diagnose;
  }
}

}  // namespace

Problem ExerciseInForce(const CheckOptions& o, Exercise* exercise, ExerciseCase* defaults) {
  const CaseRules& rules = o.rules;
  if (rules.exercise) {
    FileInForce(o, exercise, defaults);
    return Problem::None();
  }
  exercise->references = o.ans_folder.value_or("ANS");
  std::vector<std::string> files;
  if (o.ans_folder && o.operands.empty() && !o.class_root) {
    const Problem problem = PicturesIn(*o.ans_folder, &files);
    if (problem) {
      return problem;
    }
  } else {
    files.assign(output_name, output_name + 10);
  }
  if (rules.default_max != 0) {
    defaults->mae = rules.default_max;
  }
  defaults->max_difference = rules.max_difference;
  defaults->points = rules.default_points;
  defaults->border = rules.border;
  defaults->strict = rules.strict;
  defaults->diagnoses = o.diagnose;
  defaults->input = rules.default_input;
  for (const std::string& file : files) {
    ExerciseCase c = *defaults;
    c.name = file.substr(0, file.rfind('.'));
    c.outputs = {file};
    c.reference = file;
    const double max = rules.MaxFor(c.name);
    c.mae = max != 0 || defaults->mae ? std::optional<double>(max) : std::nullopt;
    c.points = rules.PointsFor(c.name);
    c.input = rules.InputFor(c.name);
    exercise->cases.push_back(std::move(c));
  }
  return Problem::None();
}

int PrintExercise(const CheckOptions& o) {
  Exercise exercise;
  ExerciseCase defaults;
  const Problem problem = ExerciseInForce(o, &exercise, &defaults);
  if (problem) {
    Say(problem);
    return kExitTrouble;
  }
  const std::string text = ExerciseToml(exercise, defaults);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitAllPass : kExitTrouble;
}

}  // namespace mae::check
