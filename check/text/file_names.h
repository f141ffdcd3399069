// File names made from students' and cases' names. A name is never a path:
// each becomes exactly one path component, and no two names of a run share
// one.
#ifndef MAE_CHECK_FILE_NAMES_H
#define MAE_CHECK_FILE_NAMES_H

#include <string>
#include <vector>

namespace mae::check {

// The file name `name` gets: the name itself when it is a plain one, with
// '%', '/', NUL and a leading '.' percent-encoded ("smith%2Fjones",
// "%2E.", "%25"), so that it is one path component that is neither "." nor
// ".." nor hidden; when that is longer than 200 bytes, its first 183 bytes
// (cut between UTF-8 characters), '-' and a 16-digit hash of the name.
std::string FileNameFor(const std::string& name);

// FileNameFor each of `names` (which are all different), made unique
// against each other: a shortened name that another name of the run already
// has gets "~2", "~3"... added. Plain names keep theirs, so that what a
// rerun writes does not depend on which other names are in the run.
std::vector<std::string> UniqueFileNames(const std::vector<std::string>& names);

// True when `name` is one path component: not empty, ".", "..", and
// without '/' or NUL.
bool IsOneComponent(const std::string& name);

// True when `relative` is a path below a folder that stays in it: not
// absolute, with no empty, "." or ".." part.
bool StaysInside(const std::string& relative);

// `name` in `folder`, as paths are shown: "folder/name", or "name" alone
// in the folder "" or "."; the folder itself for the empty name ("." for
// "" or ".").
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace mae::check

#endif  // MAE_CHECK_FILE_NAMES_H
