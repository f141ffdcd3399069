// The documents grading platforms read: Gradescope's and PrairieLearn's
// results.json, JUnit XML, and GitHub Classroom's result line.
#ifndef MAE_CHECK_PLATFORM_DOCS_H
#define MAE_CHECK_PLATFORM_DOCS_H

#include <string>
#include <vector>

#include "case_pictures.h"
#include "case_result.h"

namespace mae::check {

// Gradescope's autograder results: the score, and a test per case with
// its points, status ("passed" or "failed"; an error fails), and the reason
// and figures as output.
std::string GradescopeJson(const std::vector<CaseResult>& results);

// PrairieLearn's external-grading results: the score as a fraction, a test
// per case with its difference picture embedded (data: URL), the pictures
// shrunk, largest first, each block kept as its most different pixel,
// until the whole document is under `budget` bytes. Not gradable, with the
// reason in format_errors, when no output was there at all.
// `pictures` holds the cases' kept difference pictures, one a case.
std::string PrairieLearnJson(const std::vector<CaseResult>& results,
                             const std::vector<CasePictures>& pictures,
                             std::size_t budget = 1000 * 1000);

// One JUnit test suite: its name, its cases, and where each case's
// difference picture was written ("" or none where it was not).
struct Suite {
  std::string name;
  const std::vector<CaseResult>* cases;
  const std::vector<std::string>* diff_paths = nullptr;
};

// JUnit XML: <testsuites> with a <testsuite> per suite and a <testcase
// classname="SUITE" name="Blur1"> per case, a <failure> for a fail and an
// <error> for an error; a failing case with a difference picture written
// names it in <system-out> as [[ATTACHMENT|path]].
std::string JUnitXml(const std::vector<Suite>& suites);

// GitHub Classroom's command-grader result, base64-encoded on one line:
// {"version": 1, "status", "max_score", "tests": [{"name", "status",
// "score", "message"}]}.
std::string GitHubClassroomLine(const std::vector<CaseResult>& results);

// What a document says about a case: its verdict, reason and what looks
// wrong, then its figures, then its note, on three lines.
std::string CaseMessage(const CaseResult& r);

// The same words on one line, for a document's short message: the reason,
// then what looks wrong, then the note ("" for a pass without a note).
std::string CaseWords(const CaseResult& r);

}  // namespace mae::check

#endif  // MAE_CHECK_PLATFORM_DOCS_H
