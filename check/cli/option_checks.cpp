#include "option_checks.h"

#include <fnmatch.h>

namespace mae::check {

// What is wrong with the options CLI11 accepted, in our words; "" if nothing.
std::string OptionProblem(const CheckOptions& o, const std::vector<std::string>& extras) {
  for (const std::string& extra : extras) {
    if (extra.size() > 1 && extra[0] == '-') {
      return "unknown option '" + extra + "'";
    }
  }
  if (!extras.empty() || o.operands.size() > 2) {
    return "too many operands: give DIR, or OUTPUT REFERENCE";
  }
  if (o.github_classroom && (o.json || o.class_root)) {
    return o.json ? "--github-classroom prints its own result line; it does not go with --json"
                  : "--github-classroom grades one repository, one student; it does not go "
                    "with --class";
  }
  if (o.ans_folder && o.operands.size() == 2) {
    return "--ans names the folder of the ten references; a pair gives its REFERENCE itself";
  }
  if (o.class_root) {
    if (!o.ans_folder) {
      return "--class needs --ans FOLDER, the references every submission is checked against";
    }
    if (!o.operands.empty()) {
      return "--class takes no DIR or OUTPUT REFERENCE: every sub-folder of ROOT is a submission";
    }
  } else {
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string*>{"--roster", &o.roster_file},
          {"--csv", &o.csv_file},
          {"--reports", &o.reports_folder}}) {
      if (!value->empty()) {
        return std::string(name) + " goes with --class ROOT";
      }
    }
    if (!o.only.empty()) {
      return "--only goes with --class ROOT";
    }
  }
  return {};
}

std::string PatternProblem(const CaseRules& rules, const std::vector<std::string>& case_names) {
  const auto matches_none = [&case_names](const CaseRules::Pattern& p) {
    for (const std::string& name : case_names) {
      if (::fnmatch(p.glob.c_str(), name.c_str(), 0) == 0) {
        return false;
      }
    }
    return true;
  };
  for (const auto& [option, patterns] :
       {std::pair<const char*, const std::vector<CaseRules::Pattern>*>{"--max",
                                                                       &rules.max_patterns},
        {"--points", &rules.point_patterns}}) {
    for (const CaseRules::Pattern& p : *patterns) {
      if (matches_none(p)) {
        std::string names;
        for (const std::string& name : case_names) {
          names += (names.empty() ? "" : ", ") + name;
        }
        return std::string(option) + " pattern '" + p.glob + "' matches no case; the cases are " +
               names;
      }
    }
  }
  return {};
}

}  // namespace mae::check
