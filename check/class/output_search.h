// Finding outputs that are not where the case list puts them: under
// another case of letters, or in a folder below the submission.
#ifndef MAE_CHECK_OUTPUT_SEARCH_H
#define MAE_CHECK_OUTPUT_SEARCH_H

#include <memory>
#include <string>
#include <vector>

#include "case_list.h"
#include "written_files.h"

namespace mae::check {

// What a run writes: a folder or file given to an option, with its name,
// so that the tool's own folders are never taken for a student's work.
struct OwnOutput {
  std::string path;
  const char* option;  // "--reports"
  bool is_file;        // the folder it is in counts (--csv, --junit, --report)
};

// The folders of `own` that a search leaves out: each folder given, and
// the folder each file is in.
std::vector<std::string> OwnFolders(const std::vector<OwnOutput>& own);

// Where a case's output is: the path to open, and how it was found.
struct OutputPlace {
  std::string output;    // "" when it cannot be told (several candidates)
  std::string found_as;  // where it was found, when not under its own name
  std::string hint;      // said after the reason when the output cannot be opened
  std::string problem;   // several candidates: the case is an error
  CaseProblem problem_code = CaseProblem::kNone;
};

// Looks for the outputs of a submission's cases that are not under their
// own names in `folder`: ignoring ASCII case, in `folder` and up to four
// levels of folders below it, walked once for all cases. Links are not
// followed into folders; hidden folders, ANS, __MACOSX, folders holding
// mae-check's list of written files and the folders in `skipped` (the
// references, the tool's own output folders, wherever they are) are not
// searched. One match: the case's output, with `found_as` set; several: an
// error naming them; none: a hint (the closest name, or a folder that
// could not be read).
class OutputSearch {
 public:
  // `case_files`: every output name of the exercise (none: the ten built
  // in), so that one case's output is never taken for another's near miss.
  OutputSearch(std::string folder, std::vector<std::string> skipped,
               std::vector<std::string> case_files = {});
  ~OutputSearch();
  OutputSearch(const OutputSearch&) = delete;
  OutputSearch& operator=(const OutputSearch&) = delete;

  // Case c's output: its own path when it is there (or c already has a
  // problem), else under one of its alternative names, else what the
  // search finds for each name in turn.
  OutputPlace Place(const Case& c);

 private:
  struct Walked;
  std::string folder_;
  std::vector<std::string> skipped_;
  std::vector<std::string> case_files_;
  std::unique_ptr<Walked> walked_;
};

}  // namespace mae::check

#endif  // MAE_CHECK_OUTPUT_SEARCH_H
