// The list of files mae-check wrote into a folder of its own (--reports,
// --diff, --gradescope, --prairielearn), kept in the folder, so that a
// rerun removes the pages, documents and pictures of students or cases it
// no longer grades, and never a file it did not write.
#ifndef MAE_CHECK_WRITTEN_FILES_H
#define MAE_CHECK_WRITTEN_FILES_H

#include <set>
#include <string>

namespace mae::check {

// The name of the list of files mae-check keeps in each folder it writes
// into; a folder holding one is the tool's own, never a submission's.
inline constexpr const char* kWrittenListName = ".mae-check-files";

class WrittenFiles {
 public:
  // Nothing is read or written until Finish.
  explicit WrittenFiles(std::string folder) : folder_(std::move(folder)) {}

  // Notes a file this run wrote, by its path (`folder`/...).
  void Add(const std::string& path);

  // With `remove_stale`, removes every file the folder's list names that
  // this run did not write (a regular file, reached through no link, inside
  // the folder; a folder left empty by it goes too), then writes the list
  // of this run's files. Without, leaves every file in place and adds this
  // run's files to the list. Returns "" or what went wrong.
  std::string Finish(bool remove_stale);

  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  std::set<std::string> written_;  // paths relative to the folder
};

}  // namespace mae::check

#endif  // MAE_CHECK_WRITTEN_FILES_H
