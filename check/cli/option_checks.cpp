#include "option_checks.h"

#include <fnmatch.h>

#include <algorithm>
#include <utility>

namespace mae::check {

// What is wrong with the options CLI11 accepted, in our words.
Problem OptionProblem(const CheckOptions& o, const std::vector<std::string>& extras,
                      bool exercise_given) {
  for (const std::string& extra : extras) {
    if (extra.size() > 1 && extra[0] == '-') {
      return Problem::Usage("unknown option '" + extra + "'");
    }
  }
  if (!extras.empty() || o.operands.size() > 2) {
    return Problem::Usage("too many operands: give DIR, or OUTPUT REFERENCE");
  }
  if (o.github_classroom && (o.json || o.class_root)) {
    return Problem::Usage(
        o.json ? "--github-classroom prints its own result line; it does not go with --json"
               : "--github-classroom grades one repository, one student; it does not go "
                 "with --class");
  }
  if (!o.web_page.empty() && (o.class_root || o.operands.size() == 2 || o.print_exercise)) {
    return Problem::Usage(
        "--web-page writes the page of an exercise, from its references (DIR/ANS, --ans or "
        "the exercise file's); it goes with neither --class, a pair nor --print-exercise");
  }
  if (o.ans_folder && o.operands.size() == 2) {
    return Problem::Usage(
        "--ans names the folder of the ten references; a pair gives its REFERENCE itself");
  }
  if (o.class_root) {
    if (!o.ans_folder && !exercise_given) {
      return Problem::Usage(
          "--class needs --ans FOLDER, the references every submission is checked against");
    }
    if (!o.operands.empty()) {
      return Problem::Usage(
          "--class takes no DIR or OUTPUT REFERENCE: every sub-folder of ROOT is a submission");
    }
  } else {
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string*>{"--roster", &o.roster_file},
          {"--csv", &o.csv_file},
          {"--reports", &o.reports_folder}}) {
      if (!value->empty()) {
        return Problem::Usage(std::string(name) + " goes with --class ROOT");
      }
    }
    if (!o.only.empty()) {
      return Problem::Usage("--only goes with --class ROOT");
    }
  }
  return Problem::None();
}

Problem PatternProblem(const CaseRules& rules, const std::vector<std::string>& case_names) {
  std::vector<std::pair<const char*, std::string>> globs;
  for (const CaseRules::Pattern& p : rules.max_patterns) {
    globs.emplace_back("--max", p.glob);
  }
  for (const CaseRules::Pattern& p : rules.point_patterns) {
    globs.emplace_back("--points", p.glob);
  }
  for (const CaseRules::InputPattern& p : rules.input_patterns) {
    globs.emplace_back("--input", p.glob);
  }
  for (const auto& [option, pattern] : globs) {
    // A structured binding cannot be captured before C++20: the pattern's
    // text is taken by name.
    const std::string& glob = pattern;
    const bool matches = std::any_of(case_names.begin(), case_names.end(), [&](const auto& name) {
      return ::fnmatch(glob.c_str(), name.c_str(), 0) == 0;
    });
    if (!matches) {
      std::string names;
      for (const std::string& name : case_names) {
        names += (names.empty() ? "" : ", ") + name;
      }
      return Problem::Usage(std::string(option) + " pattern '" + glob +
                            "' matches no case; the cases are " + names);
    }
  }
  return Problem::None();
}

}  // namespace mae::check
