// The cases a run checks, after the folders they come from have been
// checked: a folder that is not there is the user's setup mistake, said
// once, not ten case errors.
#ifndef MAE_CHECK_SETUP_H
#define MAE_CHECK_SETUP_H

#include <string>
#include <vector>

#include "case_list.h"
#include "check_options.h"
#include "output_search.h"
#include "problem.h"

namespace mae::check {

struct Setup {
  std::vector<Case> cases;
  Problem problem;  // when there is one: what is wrong and what was expected
};

// The cases of one pair, or of a folder (its misplaced outputs found as a
// class run finds them, outputs that are not the folder's own marked).
Setup PlanCases(const CheckOptions& options);

// No problem when every --input names a readable picture file, else what
// is wrong: "--input in.bmp: No such file or directory".
[[nodiscard]] Problem InputProblem(const CaseRules& rules);

// The files and folders the run is asked to write, as options name them.
std::vector<OwnOutput> OwnOutputs(const CheckOptions& options);

// The folders no search for outputs enters: the references and OwnFolders.
std::vector<std::string> SkippedFolders(const CheckOptions& options);

// No problem when `path` is a folder, else why not, starting with the
// path: "s1: No such file or directory", "s1/Blur2.bmp is a file, not a
// folder".
[[nodiscard]] Problem NotAFolder(const std::string& path);

}  // namespace mae::check

#endif  // MAE_CHECK_SETUP_H
