// What the class run writes for each student into its output folders
// (--reports, --diff, --gradescope, --prairielearn), and each folder's list
// of the files written there.
#ifndef MAE_CHECK_STUDENT_FILES_H
#define MAE_CHECK_STUDENT_FILES_H

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "case_pictures.h"
#include "check_options.h"
#include "class_grade.h"
#include "problem.h"
#include "written_files.h"

namespace mae::check {

// The folders the class run writes into, each with its list of files.
struct OwnFolderLists {
  std::optional<WrittenFiles> reports, diff, gradescope, prairielearn;
  std::set<std::string> shared_written;  // the shared pictures written this run

  explicit OwnFolderLists(const CheckOptions& o);

  // Removes the files of a previous run that this one did not write (not
  // when only some students were graded) and writes the lists; returns
  // what went wrong.
  [[nodiscard]] Problems Finish(bool remove_stale);
};

// Writes one student's documents, pictures and page, as asked for, each
// under the student's file_name and noted on its folder's list before it
// is written; returns what could not be written.
[[nodiscard]] Problems WriteStudent(const CheckOptions& o, StudentResult& r,
                                    const std::vector<CasePictures>& pictures,
                                    OwnFolderLists* lists);

}  // namespace mae::check

#endif  // MAE_CHECK_STUDENT_FILES_H
