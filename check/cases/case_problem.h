// Why a case has an error before anything is compared: the output is not
// there to compare (nothing handed in, several candidates), or is not the
// student's own. Each has a stable code for scripts (JSON output_status).
#ifndef MAE_CHECK_CASE_PROBLEM_H
#define MAE_CHECK_CASE_PROBLEM_H

namespace mae::check {

enum class CaseProblem {
  kNone,
  kNoSubmission,          // on the roster, no folder
  kLinkedFolder,          // the student's folder is a symbolic link
  kEmptySubmission,       // only hidden files and __MACOSX
  kSeveralCandidates,     // two or more files could be the output
  kSameFileAsReference,   // the output is the reference file itself
  kLinkOutsideSubmission  // the output leads out of the submission
};

// "no_submission", ...; "" for kNone.
const char* CaseProblemCode(CaseProblem problem);
// What the reason says: the whole reason where it names no file ("no
// submission"), else the words it is built around ("is the reference
// itself").
const char* CaseProblemWords(CaseProblem problem);
// Every problem but kNone, in the enum's order.
inline constexpr CaseProblem kCaseProblems[] = {
    CaseProblem::kNoSubmission,        CaseProblem::kLinkedFolder,
    CaseProblem::kEmptySubmission,     CaseProblem::kSeveralCandidates,
    CaseProblem::kSameFileAsReference, CaseProblem::kLinkOutsideSubmission};

// The student handed nothing in for the case: no comparison, no
// pictures, no page.
constexpr bool NothingHandedIn(CaseProblem problem) {
  return problem == CaseProblem::kNoSubmission || problem == CaseProblem::kLinkedFolder ||
         problem == CaseProblem::kEmptySubmission;
}

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_PROBLEM_H
