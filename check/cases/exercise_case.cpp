#include "exercise_case.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "case_rules.h"
#include "config_values.h"

namespace mae::check {

namespace {

using Kind = ConfigValue::Kind;

constexpr std::size_t kMostNameBytes = 100;

Problem VisibilityOf(const ConfigValue& v, Visibility* out) {
  std::string word;
  const Problem problem = Text(v, &word);
  if (problem) {
    return problem;
  }
  for (const Visibility each : {Visibility::kVisible, Visibility::kHidden,
                                Visibility::kAfterDueDate, Visibility::kAfterPublished}) {
    if (word == VisibilityWord(each)) {
      *out = each;
      return Problem::None();
    }
  }
  return Problem::Setup(v.where + ": '" + word +
                        "' is not one of visible, hidden, after_due_date, after_published");
}

// One key of a case (or of [defaults]) into *c; `known` false when the key
// is none of the model's.
Problem CaseKey(const std::string& key, const ConfigValue& v, ExerciseCase* c, bool* known) {
  *known = true;
  double number = 0;
  std::int64_t whole = 0;
  Problem problem;
  const auto set = [&](auto* field, auto value) {
    if (!problem) {
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

Problem CaseName(const ConfigValue& v, std::string* name) {
  const Problem problem = Text(v, name);
  if (problem) {
    return problem;
  }
  if (!IsCaseName(*name)) {
    return Problem::Setup(v.where + ": '" + *name +
                          "' is not a case name: it starts with a letter or digit, then letters, "
                          "digits, '_', '-' and '.', at most " +
                          std::to_string(kMostNameBytes) + " of them");
  }
  return Problem::None();
}

Problem Outputs(const ConfigValue& v, std::vector<std::string>* outputs) {
  outputs->clear();
  if (v.kind == Kind::kArray) {
    if (v.array.empty()) {
      return Problem::Setup(v.where + ": expected at least one file name");
    }
    for (const ConfigValue& each : v.array) {
      std::string name;
      const Problem problem = FileName(each, &name);
      if (problem) {
        return problem;
      }
      outputs->push_back(name);
    }
    return Problem::None();
  }
  if (v.kind != Kind::kString) {
    return Expected(v, "a file name or an array of them");
  }
  outputs->emplace_back();
  return FileName(v, &outputs->back());
}

}  // namespace

bool IsCaseName(const std::string& name) {
  const auto allowed = [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '_' || ch == '-' || ch == '.';
  };
  return !name.empty() && std::isalnum(static_cast<unsigned char>(name[0])) != 0 &&
         std::all_of(name.begin(), name.end(), allowed) && name.size() <= kMostNameBytes;
}

Problem ReadCase(const ConfigValue& v, const ExerciseCase& defaults, ExerciseCase* c) {
  if (v.kind != Kind::kTable) {
    return Expected(v, "a table ([[case]])");
  }
  *c = defaults;
  bool named = false;
  bool referenced = false;
  for (const auto& [key, value] : v.table) {
    Problem problem;
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
      problem = Problem::Setup(value.where + ": unknown key in a case");
    }
    if (problem) {
      return problem;
    }
  }
  if (!named) {
    return Problem::Setup(v.where + ": a case needs a name");
  }
  if (c->outputs.empty()) {
    c->outputs.push_back(c->name + ".bmp");
  }
  if (!referenced) {
    c->reference = c->outputs[0];
  }
  return Problem::None();
}

Problem ReadDefaults(const ConfigValue& v, ExerciseCase* defaults) {
  if (v.kind != Kind::kTable) {
    return Expected(v, "a table ([defaults])");
  }
  for (const auto& [key, value] : v.table) {
    bool known = true;
    Problem problem = CaseKey(key, value, defaults, &known);
    if (!known) {
      problem = Problem::Setup(value.where + (key == "name" || key == "output" || key == "reference"
                                                  ? ": belongs to each case, not to [defaults]"
                                                  : ": unknown key in [defaults]"));
    }
    if (problem) {
      return problem;
    }
  }
  return Problem::None();
}

}  // namespace mae::check
