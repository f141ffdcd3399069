// Grading a whole class: every student's ten cases, and per-case figures
// over the class.
#ifndef MAE_CHECK_CLASS_GRADE_H
#define MAE_CHECK_CLASS_GRADE_H

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "case_result.h"
#include "class_folder.h"
#include "run_cases.h"

namespace mae::check {

struct StudentResult {
  Student student;
  std::vector<CaseResult> cases;
  std::vector<std::string> diff_paths;  // where each case's difference picture was written
  Counts counts;
  double score = 0.0;      // the points of the cases passed
  double max_score = 0.0;  // the points of every case
};

// Called once per student, in order, with the cases' pictures (to write
// them, noting in result.diff_paths where); false when something could not
// be written. The pictures are dropped when it returns.
using StudentDone =
    std::function<bool(StudentResult& result, const std::vector<CasePictures>& pictures)>;

// Grades every student against the references in `ans` (no search for
// outputs entering the folders in `skipped`), one student at a time, the cases of each on all
// processors. Returns the results; *trouble is set when `done` returned false for a student.
std::vector<StudentResult> GradeClass(const std::vector<Student>& students, const std::string& ans,
                                      const std::vector<std::string>& skipped,
                                      const RunOptions& options, const StudentDone& done,
                                      bool* trouble);

// A group of students whose outputs of one case are identical in their
// pixels while not passing.
struct IdenticalGroup {
  std::string case_name;
  std::vector<std::string> students;
};

// Students whose failing outputs are identical, with every case where they
// are: one group per set of students, never merged across different
// outputs. `known_mistake` when every one of those identical outputs has a
// mistake deterministic code makes alike (a flip, a swap, a shift, a
// transposition): students who made the same mistake, not copies.
struct HandInGroup {
  std::vector<std::string> students;
  std::vector<std::string> cases;
  bool known_mistake = false;
};

// What a class's students have in common, found once the whole class is
// graded, and kept as groups for every document that shows them.
struct ClassGroups {
  std::vector<IdenticalGroup> identical;  // in case order, then the first student's
  std::vector<HandInGroup> hand_ins;      // in the order their first case and student come
};

// The one step that adds facts across students: finds the groups and sets
// each member case's identical_to to the others' names. Outputs that pass
// are never grouped (correct outputs are alike), except outputs that are
// one file (the same device and inode, a hard link between submissions):
// those are grouped whatever their verdict, and each case's note says
// "same file as ann's Blur1.bmp".
ClassGroups MarkIdentical(std::vector<StudentResult>* students);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_GRADE_H
