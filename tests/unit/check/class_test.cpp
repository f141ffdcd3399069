// The class layer on its own: a submission's cases put together from the
// files it holds, and the groups of identical hand-ins.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "class_grade.h"
#include "submission_cases.h"
#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae::check;

const Case& Named(const std::vector<Case>& cases, const std::string& name) {
  for (const Case& c : cases) {
    if (c.name == name) {
      return c;
    }
  }
  throw std::runtime_error("no case " + name);
}

TEST(Class, SubmissionCasesFindEachOutputOrSayWhyNot) {
  const bmptest::TempDir dir;
  const std::string s = dir / "s";
  const std::string ans = dir / "ANS";
  for (const std::string& folder : {s, s + "/sub", s + "/a", s + "/b", ans}) {
    std::filesystem::create_directories(folder);
  }
  bmptest::WriteFile(s + "/Blur1.bmp", {'B', 'M'});      // in place
  bmptest::WriteFile(s + "/sub/blur2.BMP", {'B', 'M'});  // below, other letters
  bmptest::WriteFile(s + "/a/Blur3.bmp", {'B', 'M'});    // twice below
  bmptest::WriteFile(s + "/b/Blur3.bmp", {'B', 'M'});
  bmptest::WriteFile(s + "/Blurr4.bmp", {'B', 'M'});   // a near miss
  bmptest::WriteFile(ans + "/Blur5.bmp", {'B', 'M'});  // the reference itself
  ASSERT_EQ(::link((ans + "/Blur5.bmp").c_str(), (s + "/Blur5.bmp").c_str()), 0);
  bmptest::WriteFile(dir / "elsewhere.bmp", {'B', 'M'});  // out of the submission
  ASSERT_EQ(::symlink((dir / "elsewhere.bmp").c_str(), (s + "/Sobel1.bmp").c_str()), 0);

  const std::vector<Case> cases = SubmissionCases(nullptr, s, ans, {}, s);
  ASSERT_EQ(cases.size(), 10u);
  EXPECT_EQ(Named(cases, "Blur1").output, s + "/Blur1.bmp");
  EXPECT_EQ(Named(cases, "Blur1").problem_code, CaseProblem::kNone);
  EXPECT_EQ(Named(cases, "Blur2").output, s + "/sub/blur2.BMP");
  EXPECT_EQ(Named(cases, "Blur2").found_as, "sub/blur2.BMP");
  EXPECT_EQ(Named(cases, "Blur3").problem_code, CaseProblem::kSeveralCandidates);
  EXPECT_EQ(Named(cases, "Blur3").output, "");
  EXPECT_EQ(Named(cases, "Blur4").hint, "the closest name there is Blurr4.bmp");
  EXPECT_EQ(Named(cases, "Blur4").output, s + "/Blur4.bmp");
  EXPECT_EQ(Named(cases, "Blur5").problem_code, CaseProblem::kSameFileAsReference);
  EXPECT_EQ(Named(cases, "Sobel1").problem_code, CaseProblem::kLinkOutsideSubmission);
  // Without a submission to stay in (a folder run without --ans), a link
  // out is the student's business; the reference itself never is.
  const std::vector<Case> loose = SubmissionCases(nullptr, s, ans, {}, std::nullopt);
  EXPECT_EQ(Named(loose, "Sobel1").problem_code, CaseProblem::kNone);
  EXPECT_EQ(Named(loose, "Blur5").problem_code, CaseProblem::kSameFileAsReference);
}

// A student whose cases have these verdicts and output hashes (0: none).
StudentResult Student(const std::string& name, const std::vector<std::pair<Verdict, int>>& cases,
                      const std::string& code = "") {
  StudentResult s;
  s.student.name = name;
  s.student.folder = "/nowhere/" + name;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    CaseResult c;
    c.test_case.name = "C" + std::to_string(i);
    c.verdict = cases[i].first;
    if (cases[i].second != 0) {
      c.output_hash = static_cast<std::uint64_t>(cases[i].second);
    }
    if (!code.empty()) {
      c.diagnosis.push_back({code, ""});
    }
    s.cases.push_back(c);
  }
  return s;
}

TEST(Class, IdenticalFailingOutputsAreGroupedOnce) {
  const Verdict kF = Verdict::kFail, kP = Verdict::kPass;
  std::vector<StudentResult> students = {
      Student("ann", {{kF, 7}, {kF, 9}, {kP, 5}}),
      Student("bob", {{kF, 7}, {kF, 9}, {kP, 5}}),
      Student("cem", {{kF, 7}, {kF, 8}, {kP, 5}}, "channels_swapped"),
      Student("dan", {{kF, 1}, {kF, 8}, {kF, 0}}, "channels_swapped"),
  };
  const ClassGroups groups = MarkIdentical(&students);
  // Case by case: C0 ann, bob, cem; C1 ann, bob and cem, dan; passing C2
  // outputs are alike and never grouped.
  ASSERT_EQ(groups.identical.size(), 3u);
  EXPECT_EQ(groups.identical[0].case_name, "C0");
  EXPECT_EQ(groups.identical[0].students, (std::vector<std::string>{"ann", "bob", "cem"}));
  EXPECT_EQ(groups.identical[1].students, (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(groups.identical[2].students, (std::vector<std::string>{"cem", "dan"}));
  EXPECT_EQ(students[1].cases[0].identical_to, (std::vector<std::string>{"ann", "cem"}));
  EXPECT_TRUE(students[0].cases[2].identical_to.empty());
  // By set of students: ann and bob in C1 only (C0 has cem too); a group
  // whose outputs share a deterministic mistake is a known one.
  ASSERT_EQ(groups.hand_ins.size(), 3u);
  EXPECT_EQ(groups.hand_ins[1].students, (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(groups.hand_ins[1].cases, (std::vector<std::string>{"C1"}));
  EXPECT_FALSE(groups.hand_ins[1].known_mistake);
  EXPECT_TRUE(groups.hand_ins[2].known_mistake);
}

}  // namespace
