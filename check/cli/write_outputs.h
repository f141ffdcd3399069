// Writing what a run was asked to write, and saying on standard error what
// could not be written.
#ifndef MAE_CHECK_WRITE_OUTPUTS_H
#define MAE_CHECK_WRITE_OUTPUTS_H

#include <string>
#include <vector>

#include "case_result.h"
#include "check_options.h"
#include "run_cases.h"
#include "written_files.h"

namespace mae::check {

// "mae-check: PROBLEM" on standard error, what came from outside escaped.
void Say(const std::string& problem);

// "mae-check: LINE" on standard error, `line` escaped already.
void SayShown(const std::string& line);

// Writes `bytes` to `path` (see WriteOutputFile); false after saying why not.
bool WriteOrSay(const std::string& path, const std::string& bytes);

// Writes `bytes` to `path`, a file of an output folder noted on `list`
// first (see WrittenFiles::Add), as a regular file only; without a list,
// as WriteOrSay. False after saying why not.
bool WriteNoted(WrittenFiles* list, const std::string& path, const std::string& bytes);

// Writes the difference picture of every compared case into `folder`
// (created) as NAME.png (NAME as FileNameFor makes it), each noted on
// `list`; *paths gets, for each case, where its picture was written (""
// where none was). False when the folder or any picture cannot be written.
bool WriteDiffPictures(const std::string& folder, const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, std::vector<std::string>* paths,
                       WrittenFiles* list);

// Writes Gradescope's and PrairieLearn's documents for one set of cases,
// where their paths are not empty, as WriteNoted with `list`; false after
// saying what could not be
// written. A PrairieLearn document is not written when a reference is
// missing: that is the grader's mistake, not the student's.
bool WritePlatformDocs(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const std::string& gradescope,
                       const std::string& prairielearn, WrittenFiles* list = nullptr);

// The run options `o` asks for: the rules, and the pictures the outputs
// asked for need.
RunOptions RunOptionsFor(const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_WRITE_OUTPUTS_H
