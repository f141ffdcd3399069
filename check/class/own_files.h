// Which files are a submission's own: an output that is the reference
// itself (a link or hard link to it), or that leads out of the submission
// through a symbolic link, is not the student's work.
#ifndef MAE_CHECK_OWN_FILES_H
#define MAE_CHECK_OWN_FILES_H

#include <optional>
#include <string>
#include <vector>

#include "case_list.h"

namespace mae::check {

// `path` with every symbolic link in it followed, as realpath(3) gives it;
// "" when it leads nowhere (a missing file, a loop).
std::string ResolvedPath(const std::string& path);

// `path` (resolved) is `folder` (resolved) or lies below it.
bool LiesUnder(const std::string& path, const std::string& folder);

// Why an output is not the student's own, when it is not.
struct ForeignOutput {
  CaseProblem code = CaseProblem::kNone;
  std::string words;
};

// Whether case c's output is the student's own. An output that is the same
// file as its reference (the same device and inode, through any links) is
// `same_file_as_reference`; with `root` (the resolved path of the
// submission, for a class or a folder checked against --ans; "" for none),
// an output whose resolved path lies outside it is
// `link_outside_submission`. Cases already in error, and outputs that
// cannot be reached, are kNone: opening them says why.
ForeignOutput ForeignProblem(const std::string& root, const Case& c);

// For one pair: the output is the reference itself (comparing a file with
// itself is a fair question, which the case's note answers).
bool IsItsReference(const Case& c);

}  // namespace mae::check

#endif  // MAE_CHECK_OWN_FILES_H
