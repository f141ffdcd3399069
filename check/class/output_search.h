// Finding outputs that are not where the case list puts them: under
// another case of letters, or in a folder below the submission.
#ifndef MAE_CHECK_OUTPUT_SEARCH_H
#define MAE_CHECK_OUTPUT_SEARCH_H

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

// For every case whose output is not under its own name in `folder`, looks
// for it, ignoring ASCII case, in `folder` and up to four levels of folders
// below it. Links are not followed into folders; hidden folders, ANS,
// __MACOSX, folders holding mae-check's list of written files and the
// folders in `skipped` (the references, the tool's own output folders,
// wherever they are) are not searched. One match: the case's output, with
// `found_as` set; several: an error naming them; none: a hint (the closest
// name, or a folder that could not be read).
void FindMisplacedOutputs(const std::string& folder, const std::vector<std::string>& skipped,
                          std::vector<Case>* cases);

}  // namespace mae::check

#endif  // MAE_CHECK_OUTPUT_SEARCH_H
