#include "class_grade.h"

#include <algorithm>

std::vector<StudentResult> GradeClass(const std::vector<Student>& students, const std::string& ans,
                                      const RunOptions& options, const StudentDone& done,
                                      bool* trouble) {
  std::vector<StudentResult> results;
  results.reserve(students.size());
  for (const Student& student : students) {
    StudentResult r;
    r.student = student;
    r.cases = RunCases(StudentCases(student, ans), options);
    for (const CaseResult& c : r.cases) {
      ++(c.verdict == Verdict::kPass   ? r.passed
         : c.verdict == Verdict::kFail ? r.failed
                                       : r.errors);
      r.score += c.earned;
      r.max_score += c.points;
    }
    if (done && !done(r)) {
      *trouble = true;
    }
    // Memory grows only by what is kept: the pictures go once written.
    for (CaseResult& c : r.cases) {
      std::string().swap(c.diff_png);
      std::string().swap(c.output_png);
      std::string().swap(c.reference_png);
      std::string().swap(c.report_diff_png);
      std::string().swap(c.crop_output_png);
      std::string().swap(c.crop_reference_png);
      c.diff_marks = DiffMarks();
      c.diff_picture = Picture();
    }
    results.push_back(std::move(r));
  }
  return results;
}

std::vector<CaseSummary> SummariseCases(const std::vector<StudentResult>& students) {
  std::vector<CaseSummary> summaries;
  if (students.empty()) {
    return summaries;
  }
  for (std::size_t i = 0; i < students[0].cases.size(); ++i) {
    CaseSummary s;
    s.name = students[0].cases[i].test_case.name;
    std::vector<double> maes;
    for (const StudentResult& student : students) {
      const CaseResult& c = student.cases[i];
      ++(c.verdict == Verdict::kPass   ? s.passed
         : c.verdict == Verdict::kFail ? s.failed
                                       : s.errors);
      if (c.comparison.state == CompareState::kCompared) {
        maes.push_back(c.comparison.mae());
      }
    }
    s.pass_rate = static_cast<double>(s.passed) / static_cast<double>(students.size());
    if (!maes.empty()) {
      std::sort(maes.begin(), maes.end());
      const std::size_t mid = maes.size() / 2;
      s.median_mae = maes.size() % 2 == 1 ? maes[mid] : (maes[mid - 1] + maes[mid]) / 2.0;
    }
    summaries.push_back(s);
  }
  return summaries;
}

const CaseSummary* Weakest(const std::vector<CaseSummary>& cases) {
  const CaseSummary* weakest = nullptr;
  for (const CaseSummary& c : cases) {
    if (c.pass_rate < 1.0 && (weakest == nullptr || c.pass_rate < weakest->pass_rate)) {
      weakest = &c;
    }
  }
  return weakest;
}
