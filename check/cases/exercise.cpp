#include "exercise.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "config_tree.h"

namespace mae::check {

namespace {

using Kind = ConfigValue::Kind;

constexpr std::size_t kMostNameBytes = 100;
constexpr double kMostPoints = 1e6;
constexpr std::int64_t kMostSide = std::numeric_limits<std::int32_t>::max();

std::string Lower(std::string text) {
  for (char& ch : text) {
    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  return text;
}

std::string Shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The checks of one value against the model: each returns "" or what is
// wrong, starting with where the value is.
std::string Expected(const ConfigValue& v, const std::string& what) {
  return v.where + ": expected " + what + ", not " + ConfigKindWords(v.kind);
}

std::string Number(const ConfigValue& v, double low, double high, double* out) {
  if (v.kind != Kind::kInteger && v.kind != Kind::kFloat) {
    return Expected(v, "a number");
  }
  if (!(v.number >= low && v.number <= high)) {  // a NaN is out of range too
    const std::string range =
        std::isinf(high) ? "at least " + Shortest(low) : Shortest(low) + " to " + Shortest(high);
    return v.where + ": " + Shortest(v.number) + " is out of range (" + range + ")";
  }
  *out = v.number;
  return {};
}

std::string Whole(const ConfigValue& v, std::int64_t low, std::int64_t high, std::int64_t* out) {
  if (v.kind != Kind::kInteger) {
    return Expected(v, "a whole number");
  }
  if (v.integer < low || v.integer > high) {
    return v.where + ": " + std::to_string(v.integer) + " is out of range (" + std::to_string(low) +
           " to " + std::to_string(high) + ")";
  }
  *out = v.integer;
  return {};
}

std::string Text(const ConfigValue& v, std::string* out) {
  if (v.kind != Kind::kString) {
    return Expected(v, "a string");
  }
  *out = v.text;
  return {};
}

// A file name, or a relative path below a folder: not absolute, no empty,
// "." or ".." part, no NUL.
std::string RelativePath(const ConfigValue& v, std::string* out) {
  std::string problem = Text(v, out);
  if (!problem.empty()) {
    return problem;
  }
  bool bad = out->empty() || out->find('\0') != std::string::npos;
  for (std::size_t start = 0; !bad && start <= out->size();) {
    const std::size_t slash = std::min(out->find('/', start), out->size());
    const std::string part = out->substr(start, slash - start);
    bad = part.empty() || part == "." || part == "..";
    start = slash + 1;
  }
  return bad ? v.where + ": '" + *out + "' is not a path inside the folder" : std::string();
}

// An output's name: one file name, as outputs are looked for by name.
std::string FileName(const ConfigValue& v, std::string* out) {
  std::string problem = RelativePath(v, out);
  if (problem.empty() && out->find('/') != std::string::npos) {
    problem = v.where + ": '" + *out + "' is not a file name (no '/')";
  }
  return problem;
}

std::string Flag(const ConfigValue& v, bool* out) {
  if (v.kind != Kind::kBool) {
    return Expected(v, "true or false");
  }
  *out = v.boolean;
  return {};
}

std::string Rectangles(const ConfigValue& v, std::vector<PixelRect>* out) {
  if (v.kind != Kind::kArray) {
    return Expected(v, "an array of [x, y, width, height] rectangles");
  }
  out->clear();
  for (const ConfigValue& rect : v.array) {
    if (rect.kind != Kind::kArray || rect.array.size() != 4) {
      return rect.where + ": expected a rectangle [x, y, width, height]";
    }
    std::int64_t n[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string problem = Whole(rect.array[i], i < 2 ? 0 : 1, kMostSide, &n[i]);
      if (!problem.empty()) {
        return problem;
      }
    }
    if (n[0] + n[2] > kMostSide || n[1] + n[3] > kMostSide) {
      return rect.where + ": the rectangle reaches past 2^31 - 1";
    }
    out->push_back({static_cast<std::uint32_t>(n[0]), static_cast<std::uint32_t>(n[1]),
                    static_cast<std::uint32_t>(n[2]), static_cast<std::uint32_t>(n[3])});
  }
  return {};
}

std::string VisibilityOf(const ConfigValue& v, Visibility* out) {
  std::string word;
  std::string problem = Text(v, &word);
  if (!problem.empty()) {
    return problem;
  }
  for (const Visibility each : {Visibility::kVisible, Visibility::kHidden,
                                Visibility::kAfterDueDate, Visibility::kAfterPublished}) {
    if (word == VisibilityWord(each)) {
      *out = each;
      return {};
    }
  }
  return v.where + ": '" + word +
         "' is not one of visible, hidden, after_due_date, after_published";
}

// One key of a case (or of [defaults]) into *c; `known` false when the key
// is none of the model's.
std::string CaseKey(const std::string& key, const ConfigValue& v, ExerciseCase* c, bool* known) {
  *known = true;
  double number = 0;
  std::int64_t whole = 0;
  std::string problem;
  const auto set = [&](auto* field, auto value) {
    if (problem.empty()) {
      *field = value;
    }
  };
  if (key == "input") {
    problem = RelativePath(v, &c->input);
  } else if (key == "points") {
    problem = Number(v, 0, kMostPoints, &c->points);
  } else if (key == "visibility") {
    problem = VisibilityOf(v, &c->visibility);
  } else if (key == "mae" || key == "rmse") {
    problem = Number(v, 0, 255, &number);
    set(key == "mae" ? &c->mae : &c->rmse, std::optional<double>(number));
  } else if (key == "max_difference" || key == "tolerance") {
    problem = Whole(v, 0, 255, &whole);
    if (key == "tolerance") {
      set(&c->tolerance, static_cast<unsigned>(whole));
    } else {
      set(&c->max_difference, std::optional<unsigned>(static_cast<unsigned>(whole)));
    }
  } else if (key == "differing_percent") {
    problem = Number(v, 0, 100, &number);
    set(&c->differing_percent, std::optional<double>(number));
  } else if (key == "psnr") {
    problem = Number(v, 0, std::numeric_limits<double>::infinity(), &number);
    set(&c->psnr, std::optional<double>(number));
  } else if (key == "ssim") {
    problem = Number(v, -1, 1, &number);
    set(&c->ssim, std::optional<double>(number));
  } else if (key == "border") {
    problem = Whole(v, 0, kMostSide, &whole);
    set(&c->border, static_cast<std::uint32_t>(whole));
  } else if (key == "ignore") {
    problem = Rectangles(v, &c->ignore);
  } else if (key == "strict" || key == "diagnoses") {
    problem = Flag(v, key == "strict" ? &c->strict : &c->diagnoses);
  } else if (key == "pass_message" || key == "fail_message") {
    problem = Text(v, key == "pass_message" ? &c->pass_message : &c->fail_message);
  } else {
    *known = false;
  }
  return problem;
}

std::string CaseName(const ConfigValue& v, std::string* name) {
  std::string problem = Text(v, name);
  if (!problem.empty()) {
    return problem;
  }
  const auto allowed = [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '_' || ch == '-' || ch == '.';
  };
  if (name->empty() || std::isalnum(static_cast<unsigned char>((*name)[0])) == 0 ||
      !std::all_of(name->begin(), name->end(), allowed) || name->size() > kMostNameBytes) {
    return v.where + ": '" + *name +
           "' is not a case name: it starts with a letter or digit, then letters, digits, "
           "'_', '-' and '.', at most " +
           std::to_string(kMostNameBytes) + " of them";
  }
  return {};
}

std::string Outputs(const ConfigValue& v, std::vector<std::string>* outputs) {
  outputs->clear();
  if (v.kind == Kind::kArray) {
    if (v.array.empty()) {
      return v.where + ": expected at least one file name";
    }
    for (const ConfigValue& each : v.array) {
      std::string name;
      const std::string problem = FileName(each, &name);
      if (!problem.empty()) {
        return problem;
      }
      outputs->push_back(name);
    }
    return {};
  }
  if (v.kind != Kind::kString) {
    return Expected(v, "a file name or an array of them");
  }
  outputs->emplace_back();
  return FileName(v, &outputs->back());
}

std::string ReadCase(const ConfigValue& v, const ExerciseCase& defaults, ExerciseCase* c) {
  if (v.kind != Kind::kTable) {
    return Expected(v, "a table ([[case]])");
  }
  *c = defaults;
  bool named = false;
  bool referenced = false;
  for (const auto& [key, value] : v.table) {
    std::string problem;
    bool known = true;
    if (key == "name") {
      problem = CaseName(value, &c->name);
      named = true;
    } else if (key == "output") {
      problem = Outputs(value, &c->outputs);
    } else if (key == "reference") {
      problem = RelativePath(value, &c->reference);
      referenced = true;
    } else {
      problem = CaseKey(key, value, c, &known);
    }
    if (!known) {
      problem = value.where + ": unknown key in a case";
    }
    if (!problem.empty()) {
      return problem;
    }
  }
  if (!named) {
    return v.where + ": a case needs a name";
  }
  if (c->outputs.empty()) {
    c->outputs.push_back(c->name + ".bmp");
  }
  if (!referenced) {
    c->reference = c->outputs[0];
  }
  return {};
}

std::string ReadDefaults(const ConfigValue& v, ExerciseCase* defaults) {
  if (v.kind != Kind::kTable) {
    return Expected(v, "a table ([defaults])");
  }
  for (const auto& [key, value] : v.table) {
    bool known = true;
    std::string problem = CaseKey(key, value, defaults, &known);
    if (!known) {
      problem = value.where + (key == "name" || key == "output" || key == "reference"
                                   ? ": belongs to each case, not to [defaults]"
                                   : ": unknown key in [defaults]");
    }
    if (!problem.empty()) {
      return problem;
    }
  }
  return {};
}

// A folder named in the file, as a path from where the file lies.
std::string FromFile(const std::string& file, const std::string& folder) {
  if (folder.empty() || folder[0] == '/') {
    return folder;
  }
  const std::size_t slash = file.rfind('/');
  return slash == std::string::npos ? folder : file.substr(0, slash + 1) + folder;
}

}  // namespace

const char* VisibilityWord(Visibility visibility) {
  switch (visibility) {
    case Visibility::kHidden:
      return "hidden";
    case Visibility::kAfterDueDate:
      return "after_due_date";
    case Visibility::kAfterPublished:
      return "after_published";
    case Visibility::kVisible:
      break;
  }
  return "visible";
}

std::string ParseExercise(const std::string& text, const std::string& name, bool json,
                          Exercise* exercise) {
  ConfigValue root;
  std::string problem = ParseConfig(text, name, json, &root);
  if (!problem.empty()) {
    return problem;
  }
  *exercise = Exercise();
  ExerciseCase defaults;
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
      problem = value.kind == Kind::kArray ? "" : Expected(value, "an array of cases ([[case]])");
    } else {
      problem = value.where + ": unknown key";
    }
    if (!problem.empty()) {
      return problem;
    }
  }
  if (cases == nullptr || cases->array.empty()) {
    return name + ": no case: give each as [[case]] with a name";
  }
  for (const ConfigValue& v : cases->array) {
    ExerciseCase c;
    problem = ReadCase(v, defaults, &c);
    if (!problem.empty()) {
      return problem;
    }
    for (const ExerciseCase& before : exercise->cases) {
      if (Lower(before.name) == Lower(c.name)) {
        return v.where + ": the case name '" + c.name + "' is already taken by '" + before.name +
               "' (names are told apart ignoring case)";
      }
    }
    exercise->cases.push_back(std::move(c));
  }
  return {};
}

std::string ReadExercise(const std::string& path, Exercise* exercise) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {  // never wait on a FIFO
    return path + ": " + (error ? error.message() : "not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return path + ": cannot be read";
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool json = path.size() >= 5 && Lower(path.substr(path.size() - 5)) == ".json";
  std::string problem = ParseExercise(text, path, json, exercise);
  if (problem.empty()) {
    exercise->references = FromFile(path, exercise->references);
    exercise->inputs = FromFile(path, exercise->inputs);
  }
  return problem;
}

}  // namespace mae::check
