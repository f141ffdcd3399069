#include "case_problem.h"

#include <cstddef>
#include <iterator>

#include "enum_table.h"

namespace mae::check {

namespace {

struct ProblemWords {
  CaseProblem problem;
  const char* code;
  const char* words;
};

// One row per problem, in the enum's order.
constexpr ProblemWords kWords[] = {
    {CaseProblem::kNone, "", ""},
    {CaseProblem::kNoSubmission, "no_submission", "no submission"},
    {CaseProblem::kLinkedFolder, "linked_folder", "linked folder, not graded"},
    {CaseProblem::kEmptySubmission, "empty_submission", "empty submission"},
    {CaseProblem::kSeveralCandidates, "several_candidates", "files could be"},
    {CaseProblem::kSameFileAsReference, "same_file_as_reference", "is the reference itself"},
    {CaseProblem::kLinkOutsideSubmission, "link_outside_submission",
     "links outside the submission, to"},
};

static_assert(InEnumOrder(kWords, &ProblemWords::problem) &&
                  std::size(kWords) == std::size(kCaseProblems) + 1,
              "one row per problem, in the enum's order");

const ProblemWords& RowOf(CaseProblem problem) {
  return RowFor(kWords, problem);
}

}  // namespace

const char* CaseProblemCode(CaseProblem problem) {
  return RowOf(problem).code;
}

const char* CaseProblemWords(CaseProblem problem) {
  return RowOf(problem).words;
}

}  // namespace mae::check
