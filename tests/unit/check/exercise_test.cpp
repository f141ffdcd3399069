// An exercise file: the model as TOML and as JSON, and every mistake in it
// named with its place.
#include "exercise.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace mae::check;

constexpr const char* kToml = R"(title = "Point operations"
references = "ANS"
inputs = "in"

[defaults]
mae = 0.5
points = 2

[[case]]
name = "Gray"
output = ["gray.bmp", "grey.bmp"]
reference = "gray.png"
input = "lena.bmp"
visibility = "after_due_date"
rmse = 2.0
max_difference = 8
differing_percent = 1
tolerance = 2
psnr = 40
ssim = 0.98
border = 1
ignore = [[10, 10, 40, 20]]
strict = true
diagnoses = false
pass_message = "Well done."
fail_message = "See the notes."

[[case]]
name = "median-3x3.v2"
)";

TEST(Exercise, ReadsTheModelFromTomlAndJsonAlike) {
  const std::string json = R"({"title": "Point operations", "references": "ANS", "inputs": "in",
    "defaults": {"mae": 0.5, "points": 2},
    "case": [{"name": "Gray", "output": ["gray.bmp", "grey.bmp"], "reference": "gray.png",
              "input": "lena.bmp", "visibility": "after_due_date", "rmse": 2.0,
              "max_difference": 8, "differing_percent": 1, "tolerance": 2, "psnr": 40,
              "ssim": 0.98, "border": 1, "ignore": [[10, 10, 40, 20]], "strict": true,
              "diagnoses": false, "pass_message": "Well done.", "fail_message": "See the notes."},
             {"name": "median-3x3.v2"}]})";
  for (const bool is_json : {false, true}) {
    Exercise e;
    const Problem problem = ParseExercise(is_json ? json : kToml, "ex", is_json, &e);
    ASSERT_FALSE(problem) << is_json << problem.words();
    EXPECT_EQ(e.title, "Point operations");
    EXPECT_EQ(e.references, "ANS");
    EXPECT_EQ(e.inputs, "in");
    ASSERT_EQ(e.cases.size(), 2u);
    const ExerciseCase& g = e.cases[0];
    EXPECT_EQ(g.outputs, (std::vector<std::string>{"gray.bmp", "grey.bmp"}));
    EXPECT_EQ(g.reference, "gray.png");
    EXPECT_EQ(g.input, "lena.bmp");
    EXPECT_EQ(g.points, 2);
    EXPECT_EQ(g.visibility, Visibility::kAfterDueDate);
    EXPECT_EQ(g.mae, 0.5);
    EXPECT_EQ(g.rmse, 2.0);
    EXPECT_EQ(g.max_difference, 8u);
    EXPECT_EQ(g.differing_percent, 1.0);
    EXPECT_EQ(g.tolerance, 2u);
    EXPECT_EQ(g.psnr, 40.0);
    EXPECT_EQ(g.ssim, 0.98);
    EXPECT_EQ(g.border, 1u);
    ASSERT_EQ(g.ignore.size(), 1u);
    EXPECT_EQ(g.ignore[0].x + g.ignore[0].y + g.ignore[0].width + g.ignore[0].height, 80u);
    EXPECT_TRUE(g.strict);
    EXPECT_FALSE(g.diagnoses);
    EXPECT_EQ(g.pass_message, "Well done.");
    EXPECT_EQ(g.fail_message, "See the notes.");
    // A case takes the defaults, its output its name, its reference its output.
    const ExerciseCase& m = e.cases[1];
    EXPECT_EQ(m.outputs, std::vector<std::string>{"median-3x3.v2.bmp"});
    EXPECT_EQ(m.reference, "median-3x3.v2.bmp");
    EXPECT_EQ(m.mae, 0.5);
    EXPECT_EQ(m.points, 2);
    EXPECT_FALSE(m.rmse);
    EXPECT_TRUE(m.diagnoses);
  }
}

TEST(Exercise, NamesEachMistakeWithItsPlace) {
  const struct {
    const char* text;
    bool json;
    const char* message;
  } rows[] = {
      {"[[case]]\nname = 'A'\nmae = 300\n", false,
       "ex:3: case.mae: 300 is out of range (0 to 255)"},
      {"[[case]]\nname = 'A'\nmae = 'x'\n", false,
       "ex:3: case.mae: expected a number, not a string"},
      {"[[case]]\nname = 'A'\nmaximum = 1\n", false, "ex:3: case.maximum: unknown key in a case"},
      {"tittle = 'x'\n[[case]]\nname = 'A'\n", false, "ex:1: tittle: unknown key"},
      {"[[case]]\nname = 'A'\n[[case]]\nname = 'a'\n", false,
       "ex:3: case: the case name 'a' is already taken by 'A' (names are told apart ignoring "
       "case)"},
      {"[[case]]\nname = '-A'\n", false,
       "ex:2: case.name: '-A' is not a case name: it starts with a letter or digit, then "
       "letters, digits, '_', '-' and '.', at most 100 of them"},
      {"[[case]]\nname = 'A/B'\n", false,
       "ex:2: case.name: 'A/B' is not a case name: it starts with a letter or digit, then "
       "letters, digits, '_', '-' and '.', at most 100 of them"},
      {"[[case]]\nname = 'A'\noutput = '../x.bmp'\n", false,
       "ex:3: case.output: '../x.bmp' is not a path inside the folder"},
      {"[[case]]\nname = 'A'\noutput = 'sub/x.bmp'\n", false,
       "ex:3: case.output: 'sub/x.bmp' is not a file name (no '/')"},
      {"[[case]]\nname = 'A'\nreference = '/etc/passwd'\n", false,
       "ex:3: case.reference: '/etc/passwd' is not a path inside the folder"},
      {"[[case]]\nname = 'A'\nmax_difference = 2.5\n", false,
       "ex:3: case.max_difference: expected a whole number, not a number"},
      {"[[case]]\nname = 'A'\npoints = 1e7\n", false,
       "ex:3: case.points: 1e+07 is out of range (0 to 1e+06)"},
      {"[[case]]\nname = 'A'\npsnr = -1\n", false,
       "ex:3: case.psnr: -1 is out of range (at least 0)"},
      {"[[case]]\nname = 'A'\nssim = nan\n", false,
       "ex:3: case.ssim: nan is out of range (-1 to 1)"},
      {"[[case]]\nname = 'A'\nvisibility = 'secret'\n", false,
       "ex:3: case.visibility: 'secret' is not one of visible, hidden, after_due_date, "
       "after_published"},
      {"[[case]]\nname = 'A'\nignore = [[0, 0, 0, 5]]\n", false,
       "ex:3: case.ignore: 0 is out of range (1 to 2147483647)"},
      {"[[case]]\nname = 'A'\nignore = [[2147483000, 0, 1000, 5]]\n", false,
       "ex:3: case.ignore: the rectangle reaches past 2^31 - 1"},
      {"[defaults]\nname = 'A'\n[[case]]\nname = 'A'\n", false,
       "ex:2: defaults.name: belongs to each case, not to [defaults]"},
      {"[[case]]\nmae = 1\n", false, "ex:1: case: a case needs a name"},
      {"title = 'x'\n", false, "ex: no case: give each as [[case]] with a name"},
      {"[[case]\n", false, "ex:1: not valid TOML: "},
      {R"({"case": [{"name": "A", "mae": 300}]})", true,
       "ex: /case/0/mae: 300 is out of range (0 to 255)"},
      {R"({"case": [{"name": "A", "strict": 1}]})", true,
       "ex: /case/0/strict: expected true or false, not a whole number"},
      {R"({"case": [{"name": "A", "name": "B"}]})", true,
       "ex: the key \"name\" is given twice in one object"},
      {R"({"case": [{"name": "A", "a/b": 1}]})", true, "ex: /case/0/a~1b: unknown key in a case"},
      {R"([1])", true, "ex: /: expected an object"},
  };
  for (const auto& row : rows) {
    Exercise e;
    const Problem problem = ParseExercise(row.text, "ex", row.json, &e);
    EXPECT_EQ(problem.kind(), ProblemKind::kSetup) << row.text;
    EXPECT_EQ(problem.words().substr(0, std::string(row.message).size()), row.message) << row.text;
  }
}

}  // namespace
