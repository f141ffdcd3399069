#include "exercise.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "case_rules.h"
#include "config_tree.h"
#include "config_values.h"
#include "exercise_case.h"

namespace mae::check {

namespace {

using Kind = ConfigValue::Kind;

std::string Lower(std::string text) {
  for (char& ch : text) {
    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  return text;
}

}  // namespace

Problem ParseExercise(const std::string& text, const std::string& name, bool json,
                      Exercise* exercise) {
  ConfigValue root;
  Problem problem = ParseConfig(text, name, json, &root);
  if (problem) {
    return problem;
  }
  *exercise = Exercise();
  ExerciseCase& defaults = exercise->defaults;
  const ConfigValue* cases = nullptr;
  for (const auto& [key, value] : root.table) {
    if (key == "title") {
      problem = Text(value, &exercise->title);
    } else if (key == "references" || key == "inputs") {
      problem = Text(value, key == "references" ? &exercise->references : &exercise->inputs);
    } else if (key == "defaults") {
      problem = ReadDefaults(value, &defaults);
    } else if (key == "case") {
      cases = &value;
      problem = value.kind == Kind::kArray ? Problem::None()
                                           : Expected(value, "an array of cases ([[case]])");
    } else {
      problem = Problem::Setup(value.where + ": unknown key");
    }
    if (problem) {
      return problem;
    }
  }
  if (cases == nullptr || cases->array.empty()) {
    return Problem::Setup(name + ": no case: give each as [[case]] with a name");
  }
  for (const ConfigValue& v : cases->array) {
    ExerciseCase c;
    problem = ReadCase(v, defaults, &c);
    if (problem) {
      return problem;
    }
    for (const ExerciseCase& before : exercise->cases) {
      if (Lower(before.name) == Lower(c.name)) {
        return Problem::Setup(v.where + ": the case name '" + c.name + "' is already taken by '" +
                              before.name + "' (names are told apart ignoring case)");
      }
    }
    exercise->cases.push_back(std::move(c));
  }
  return Problem::None();
}

Problem ReadExercise(const std::string& path, Exercise* exercise) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {  // never wait on a FIFO
    return Problem::Setup(path + ": " + (error ? error.message() : "not a file"));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Problem::Setup(path + ": cannot be read");
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool json = path.size() >= 5 && Lower(path.substr(path.size() - 5)) == ".json";
  const Problem problem = ParseExercise(text, path, json, exercise);
  if (!problem) {
    const std::size_t slash = path.rfind('/');
    exercise->folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  }
  return problem;
}

}  // namespace mae::check
