// Whether a folder is the tool's own by the list of files it keeps there
// (.mae-check-files). A student can put such a list in a submission to hide
// from the grader, so the list counts only when it accounts for the folder.
#ifndef MAE_CHECK_OWN_LIST_H
#define MAE_CHECK_OWN_LIST_H

#include <string>

namespace mae::check {

enum class OwnList {
  kNone,     // no list in the folder
  kOwn,      // the list names every other regular file below the folder, and
             // none of them is a BMP file: the tool's own folder
  kIgnored,  // a list that does not account for the folder: graded
};

OwnList FolderList(const std::string& folder);

}  // namespace mae::check

#endif  // MAE_CHECK_OWN_LIST_H
