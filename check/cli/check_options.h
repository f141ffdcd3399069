// What a run of mae-check is asked to do, as its command line says it.
#ifndef MAE_CHECK_CHECK_OPTIONS_H
#define MAE_CHECK_CHECK_OPTIONS_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "case_rules.h"
#include "decoded_file.h"

namespace mae::check {

struct CheckOptions {
  CaseRules rules;                        // thresholds, points, largest difference, border
  std::string diff_folder;                // "" when no pictures are asked for
  std::string report_file;                // "" when no report is asked for
  std::optional<std::string> ans_folder;  // the references, in place of DIR/ANS
  bool json = false;
  bool diagnose = true;               // say what looks wrong with failing cases
  std::vector<std::string> operands;  // none, DIR, or OUTPUT REFERENCE
  // A class run: one sub-folder per student under class_root.
  std::optional<std::string> class_root;
  std::string roster_file;        // "" without a roster
  std::string csv_file;           // "" when no CSV is asked for
  std::string reports_folder;     // "" when no per-student pages are asked for
  std::vector<std::string> only;  // with --class: grade these students alone
  // Documents for grading platforms ("" when not asked for): a file each, or
  // with --class a folder of one per student (a file for JUnit).
  std::string gradescope;
  std::string prairielearn;
  std::string junit;
  bool github_classroom = false;                 // the base64 result line instead of the table
  bool print_exercise = false;                   // print the exercise in force, and nothing else
  std::string web_page;                          // "" unless the web page is asked for
  std::uint64_t max_pixels = kDefaultMaxPixels;  // the largest picture decoded
};

}  // namespace mae::check

#endif  // MAE_CHECK_CHECK_OPTIONS_H
