// Writing what a run was asked to write, and saying on standard error what
// could not be written.
#ifndef MAE_CHECK_WRITE_OUTPUTS_H
#define MAE_CHECK_WRITE_OUTPUTS_H

#include <string>
#include <vector>

#include "case_result.h"

// "mae-check: PROBLEM" on standard error, what came from outside escaped.
void Say(const std::string& problem);

// Writes `bytes` to `path` (see WriteOutputFile); false after saying why not.
bool WriteOrSay(const std::string& path, const std::string& bytes);

// Writes the difference picture of every compared case into `folder`
// (created) as NAME.png, noting each path in the case's diff_path; false
// when the folder or any picture cannot be written.
bool WriteDiffPictures(const std::string& folder, std::vector<CaseResult>* results);

#endif  // MAE_CHECK_WRITE_OUTPUTS_H
