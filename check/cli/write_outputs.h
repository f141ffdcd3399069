// Writing what a run was asked to write; what could not be written is
// returned for the run to say.
#ifndef MAE_CHECK_WRITE_OUTPUTS_H
#define MAE_CHECK_WRITE_OUTPUTS_H

#include <string>
#include <vector>

#include "case_pictures.h"
#include "case_result.h"
#include "problem.h"
#include "written_files.h"

namespace mae::check {

// Writes `bytes` to `path` (see WriteOutputFile); no problem, or "cannot
// write PATH: WHY".
[[nodiscard]] Problem WriteOutput(const std::string& path, const std::string& bytes);

// Writes `bytes` to `path`, a file of an output folder noted on `list`
// first (see WrittenFiles::Add), as a regular file only; without a list,
// as WriteOutput.
[[nodiscard]] Problem WriteNoted(WrittenFiles* list, const std::string& path,
                                 const std::string& bytes);

// Writes the difference picture of every compared case into `folder`
// (created) as NAME.png (NAME as FileNameFor makes it), each noted on
// `list`; *paths gets, for each case, where its picture was written (""
// where none was). Returns what could not be made or written: the folder,
// or each picture in turn.
[[nodiscard]] Problems WriteDiffPictures(const std::string& folder,
                                         const std::vector<CaseResult>& results,
                                         const std::vector<CasePictures>& pictures,
                                         std::vector<std::string>* paths, WrittenFiles* list);

// Writes Gradescope's and PrairieLearn's documents for one set of cases,
// where their paths are not empty, as WriteNoted with `list`; returns what
// could not be written. A PrairieLearn document is not written when a
// reference is missing: that is the grader's mistake, not the student's.
[[nodiscard]] Problems WritePlatformDocs(const std::vector<CaseResult>& results,
                                         const std::vector<CasePictures>& pictures,
                                         const std::string& gradescope,
                                         const std::string& prairielearn,
                                         WrittenFiles* list = nullptr);

}  // namespace mae::check

#endif  // MAE_CHECK_WRITE_OUTPUTS_H
