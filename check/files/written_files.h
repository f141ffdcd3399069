// The list of files mae-check wrote into a folder of its own (--reports,
// --diff, --gradescope, --prairielearn), kept in the folder, so that a
// rerun removes the pages, documents and pictures of students or cases it
// no longer grades, and never a file it did not write.
#ifndef MAE_CHECK_WRITTEN_FILES_H
#define MAE_CHECK_WRITTEN_FILES_H

#include <set>
#include <string>
#include <vector>

#include "problem.h"

namespace mae::check {

// The name of the list of files mae-check keeps in each folder it writes
// into; a folder holding one is the tool's own, never a submission's.
inline constexpr const char* kWrittenListName = ".mae-check-files";

// The paths (relative to `folder`) its list names; none when there is no
// list or it is not a regular file of its own.
std::vector<std::string> ListedPaths(const std::string& folder);

class WrittenFiles {
 public:
  // Nothing is read or written until Add or Finish.
  explicit WrittenFiles(std::string folder) : folder_(std::move(folder)) {}

  // Notes a file this run is about to write, by its path (`folder`/...):
  // its entry is appended to the folder's list at once, before the file is
  // renamed into place, so that a run killed before Finish leaves nothing
  // written off the list. Returns no problem, or why the file must not be
  // written (its path leaves the folder, or the list cannot be written).
  [[nodiscard]] Problem Add(const std::string& path);

  // Takes back a file noted by Add that could not be written: the list
  // Finish writes leaves it out (a previous run's file of that name goes
  // as any stale file does).
  void Drop(const std::string& path);

  // With `remove_stale`, removes every file the folder's list names that
  // this run did not write (a regular file, reached through no link, inside
  // the folder; a folder left empty by it goes too), then writes the list
  // of this run's files. Without, leaves every file in place and adds this
  // run's files to the list. Either way the list is written afresh, each
  // path once. Returns no problem, or the first thing that went wrong.
  [[nodiscard]] Problem Finish(bool remove_stale);

  const std::string& folder() const { return folder_; }

 private:
  // `path` relative to the folder, with no empty parts; "" when outside.
  std::string Relative(const std::string& path) const;

  std::string folder_;
  std::set<std::string> written_;    // paths relative to the folder
  std::vector<std::string> before_;  // the list as the run found it
  bool read_ = false;                // before_ read
  bool created_ = false;             // the list was started by this run
};

}  // namespace mae::check

#endif  // MAE_CHECK_WRITTEN_FILES_H
