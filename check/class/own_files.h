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

// Marks the cases whose outputs are not the student's own. An output that
// is the same file as its reference (the same device and inode, through
// any links) is an error `same_file_as_reference`; with `submission` set
// (a class, or a folder checked against --ans), an output whose resolved
// path lies outside the resolved `submission` is an error
// `link_outside_submission`. Cases already in error, and outputs that
// cannot be reached, are left as they are: opening them says why.
void MarkForeignOutputs(const std::optional<std::string>& submission, std::vector<Case>* cases);

// For one pair: when the output is the reference itself, the case's note
// says so (comparing a file with itself is a fair question).
void MarkPairItself(Case* c);

}  // namespace mae::check

#endif  // MAE_CHECK_OWN_FILES_H
