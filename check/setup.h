// The cases a run checks, after the folders they come from have been
// checked: a folder that is not there is the user's setup mistake, said
// once, not ten case errors.
#ifndef MAE_CHECK_SETUP_H
#define MAE_CHECK_SETUP_H

#include <string>
#include <vector>

#include "case_list.h"
#include "options.h"

struct Setup {
  std::vector<Case> cases;
  std::string problem;  // when not empty: what is wrong and what was expected
};

Setup PlanCases(const CheckOptions& options);

// "" when `path` is a folder, else why not, starting with the path:
// "s1: No such file or directory", "s1/Blur2.bmp is a file, not a folder".
std::string NotAFolder(const std::string& path);

#endif  // MAE_CHECK_SETUP_H
