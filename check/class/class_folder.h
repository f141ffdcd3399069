// A class folder: one sub-folder per student's submission, and where in it
// each of the ten outputs is.
#ifndef MAE_CHECK_CLASS_FOLDER_H
#define MAE_CHECK_CLASS_FOLDER_H

#include <string>
#include <utility>
#include <vector>

#include "case_list.h"
#include "output_search.h"
#include "roster.h"

namespace mae::check {

struct Student {
  enum class Handed {
    kFolder,        // a folder with files in it: graded
    kNothing,       // on the roster, no folder
    kLinkedFolder,  // the folder is a symbolic link: never followed, not graded
    kEmpty,         // only hidden files and __MACOSX, or nothing at all
  };
  std::string name;       // as the folder spells it (the roster's, without a folder)
  std::string folder;     // ROOT/name; empty unless handed is kFolder or kEmpty
  bool on_roster = true;  // always true without a roster
  Handed handed = Handed::kFolder;
  // The name of the student's page, documents and picture folder: one path
  // component, unique in the listing (file_names.h).
  std::string file_name;

  bool Submitted() const { return handed == Handed::kFolder; }
};

struct ClassListing {
  std::vector<Student> students;  // in byte order of their names
  // Direct sub-folders that are not students, with why: "_reports (--reports)".
  std::vector<std::string> left_out;
  // Sub-folders that are symbolic links, each said once whether or not it
  // gets a row.
  std::vector<std::string> linked;
  // Pairs of folder names that are one name once normalised: both graded.
  std::vector<std::pair<std::string, std::string>> same_names;
  // Sub-folders holding a list of the tool's (.mae-check-files) that does
  // not account for their files: graded as students all the same.
  std::vector<std::string> list_ignored;
};

// Lists the class under `root`: every sub-folder (not files, hidden entries,
// the `ans` folder, or a folder that is or holds one of `own`, or that
// holds mae-check's list of files it wrote and nothing else, own_list.h),
// and with a roster every name
// on it. Names match after Unicode normalisation (student_names.h).
// Returns "" or why `root` cannot be read.
std::string ListStudents(const std::string& root, const std::string& ans, const Roster* roster,
                         const std::vector<OwnOutput>& own, ClassListing* listing);

// The cases of one student (of `exercise`, or the ten when it is null)
// against the references in `ans`. An output
// not under its own name is looked for as OutputSearch does,
// skipping the folders in `skipped`; outputs that are not the student's
// own are errors (ForeignProblem). A student who handed nothing in
// gets an error a case that says so.
std::vector<Case> StudentCases(const Exercise* exercise, const Student& student,
                               const std::string& ans, const std::vector<std::string>& skipped);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_FOLDER_H
