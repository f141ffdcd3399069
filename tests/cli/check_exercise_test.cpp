// --print-exercise: the exercise in force as an exercise file that reads
// back as that exercise, the rule options merged in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exercise.h"
#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using mae::check::Exercise;

Exercise ReadBack(const std::string& text) {
  Exercise exercise;
  const mae::check::Problem problem = ParseExercise(text, "printed.toml", false, &exercise);
  EXPECT_FALSE(problem) << problem.words() << "\n" << text;
  return exercise;
}

TEST(MaeCheckExercise, TheBuiltInCasesAreTheSampleExerciseFile) {
  const bmptest::RunResult r = bmptest::Run(MAE_CHECK_EXE, {"--print-exercise"});
  EXPECT_EQ(r.exit_status, 0);
  const bmptest::Bytes sample =
      bmptest::ReadFile(std::filesystem::path(MAE_EXAMPLES_DIR) / "cases/exercise.toml");
  EXPECT_EQ(r.out, std::string(sample.begin(), sample.end()));
  const Exercise e = ReadBack(r.out);
  ASSERT_EQ(e.cases.size(), 10u);
  EXPECT_EQ(e.cases[0].name, "Blur1");
  EXPECT_EQ(e.cases[9].reference, "Sobel5.bmp");
  EXPECT_FALSE(e.cases[3].HasRule());  // passes only at MAE 0, as without a file
}

TEST(MaeCheckExercise, TheRuleOptionsAreMergedIn) {
  const bmptest::RunResult r = bmptest::Run(
      MAE_CHECK_EXE, {"--print-exercise", "--max", "0.5", "--max", "Sobel*=0", "--points",
                      "Blur1=3", "--max-difference", "9", "--border", "1", "--strict",
                      "--no-diagnosis", "--ans", "refs 'quoted'", "--input", "Sobel2=in.bmp", "."});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const Exercise e = ReadBack(r.out);
  EXPECT_EQ(e.references, "refs 'quoted'");
  const struct {
    std::size_t i;
    double mae, points;
    const char* input;
  } rows[] = {{0, 0.5, 3, ""}, {1, 0.5, 1, ""}, {5, 0, 1, ""}, {6, 0, 1, "in.bmp"}};
  for (const auto& row : rows) {
    const mae::check::ExerciseCase& c = e.cases[row.i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.mae.value_or(-1), row.mae);
    EXPECT_EQ(c.points, row.points);
    EXPECT_EQ(c.input, row.input);
    EXPECT_EQ(c.max_difference.value_or(0), 9u);
    EXPECT_EQ(c.border, 1u);
    EXPECT_TRUE(c.strict);
    EXPECT_FALSE(c.diagnoses);
  }
}

TEST(MaeCheckExercise, AReferencesFolderAloneGivesACaseAPicture) {
  const bmptest::TempDir dir;
  for (const char* name : {"gray.png", "median.BMP", "notes.txt", "-bad.bmp"}) {
    bmptest::WriteFile(dir / name, {'B', 'M'});
  }
  const bmptest::RunResult r = bmptest::Run(MAE_CHECK_EXE, {"--print-exercise", "--ans", dir / ""});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const Exercise e = ReadBack(r.out);
  ASSERT_EQ(e.cases.size(), 2u);
  EXPECT_EQ(e.cases[0].name, "gray");
  EXPECT_EQ(e.cases[1].outputs, std::vector<std::string>{"median.BMP"});
  EXPECT_NE(r.err.find("-bad.bmp: not a case name, left out"), std::string::npos) << r.err;
  EXPECT_EQ(bmptest::Run(MAE_CHECK_EXE, {"--print-exercise", "--ans", dir / "none"}).exit_status,
            2);
}

}  // namespace
