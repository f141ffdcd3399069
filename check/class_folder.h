// A class folder: one sub-folder per student's submission, and where in it
// each of the ten outputs is.
#ifndef MAE_CHECK_CLASS_FOLDER_H
#define MAE_CHECK_CLASS_FOLDER_H

#include <string>
#include <vector>

#include "case_list.h"
#include "roster.h"

struct Student {
  std::string name;
  std::string folder;     // ROOT/name; empty when nothing was handed in
  bool on_roster = true;  // always true without a roster
};

// The students: every sub-folder of `root` (not files, symbolic links,
// hidden entries or the folder `ans`), and with a roster every name on it,
// in byte order of their names. Returns "" or why `root` cannot be read.
std::string ListStudents(const std::string& root, const std::string& ans, const Roster* roster,
                         std::vector<Student>* students);

// The ten cases of one student against the references in `ans`. An output
// not under its own name is looked for, ignoring ASCII case, in the
// submission and up to four levels of folders below it (links not
// followed; ANS, __MACOSX and hidden folders skipped). A student without a
// submission gets ten "no submission" errors.
std::vector<Case> StudentCases(const Student& student, const std::string& ans);

#endif  // MAE_CHECK_CLASS_FOLDER_H
