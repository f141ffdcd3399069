#include "submission_cases.h"

#include "output_search.h"
#include "own_files.h"

namespace mae::check {

std::vector<Case> SubmissionCases(const Exercise* exercise, const std::string& folder,
                                  const std::optional<std::string>& refs,
                                  const std::vector<std::string>& skipped,
                                  const std::optional<std::string>& submission) {
  const std::string root = submission ? ResolvedPath(*submission) : std::string();
  OutputSearch search(folder, skipped, CaseOutputNames(exercise));
  std::vector<Case> cases;
  for (const Case& planned : PlannedCases(exercise, folder, refs)) {
    const OutputPlace place = search.Place(planned);
    Case c = planned;
    c.output = place.output;
    c.found_as = place.found_as;
    c.hint = place.hint;
    c.problem = place.problem;
    c.problem_code = place.problem_code;
    const ForeignOutput foreign = ForeignProblem(root, c);
    if (foreign.code != CaseProblem::kNone) {
      c.problem = foreign.words;
      c.problem_code = foreign.code;
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace mae::check
