// Checks of the command line that CLI11 does not make: numbers in the
// form the tool takes, and options that do not go together.
#ifndef MAE_CHECK_OPTION_CHECKS_H
#define MAE_CHECK_OPTION_CHECKS_H

#include <optional>
#include <string>
#include <vector>

#include "case_rules.h"
#include "check_options.h"
#include "problem.h"

namespace mae::check {

// What is wrong with options CLI11 accepted, in the tool's words, or no
// problem: `extras` are the arguments it did not recognise. The numbers of
// the rules are checked apart. With an exercise file, --class needs no
// --ans: the file names the references.
[[nodiscard]] Problem OptionProblem(const CheckOptions& o, const std::vector<std::string>& extras,
                                    bool exercise_given);

// What is wrong with the --max and --points patterns, or no problem: a
// pattern that matches none of `case_names` is a mistake (a misspelt or
// miscased name), said with the names it could have matched.
[[nodiscard]] Problem PatternProblem(const CaseRules& rules,
                                     const std::vector<std::string>& case_names);

}  // namespace mae::check

#endif  // MAE_CHECK_OPTION_CHECKS_H
