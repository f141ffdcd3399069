// Setting up a class run: the folders and the roster checked, and what the
// listing of the class says about them.
#ifndef MAE_CHECK_CLASS_SETUP_H
#define MAE_CHECK_CLASS_SETUP_H

#include <string>
#include <vector>

#include "check_options.h"
#include "class_folder.h"
#include "problem.h"
#include "roster.h"

namespace mae::check {

// What is wrong with the folders or the roster, or no problem; creates the
// output folders.
[[nodiscard]] Problem SetupProblem(const CheckOptions& o, Roster* roster);

// Keeps the students --only names (all of them without --only); the
// problem names those that match no student.
[[nodiscard]] Problem KeepOnly(const CheckOptions& o, std::vector<Student>* students);

// No problem, or why the listing leaves nothing to grade: "no submission
// folders in ROOT", with "; 2 .zip files found: extract them first" when
// the root holds archives.
[[nodiscard]] Problem NothingToGrade(const std::string& root, const ClassListing& listing);

// Says what the listing left out or found odd, once each, on standard
// error; and that no name of the roster matches a folder, when none does.
void SayListing(const ClassListing& listing, const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_SETUP_H
