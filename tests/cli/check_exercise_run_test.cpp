// Grading from an exercise file (--exercise): its mistakes said before
// anything is graded, each rule passing and failing at its bound, ignored
// rectangles, a printed exercise that grades alike, and a class.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/png_decode.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using bmptest::Bytes;
using Json = nlohmann::json;

// A 16 x 12 picture of smooth shades; with `raise`, every byte of the
// file's first row (the picture's bottom row, y = 11) is that much higher.
Bytes Shades(unsigned raise) {
  Bytes pixels;
  for (unsigned i = 0; i < 16 * 12 * 3; ++i) {
    pixels.push_back(static_cast<unsigned char>((i % 48) * 4 + i / 48 + (i < 48 ? raise : 0)));
  }
  return bmptest::MakeBmp(16, 12, pixels);
}

void WriteText(const fs::path& path, const std::string& text) {
  bmptest::WriteFile(path, Bytes(text.begin(), text.end()));
}

bmptest::RunResult Check(std::vector<std::string> args) {
  return bmptest::Run(MAE_CHECK_EXE, std::move(args));
}

TEST(MaeCheckExerciseRun, EachMistakeInTheFileIsASetupErrorWithItsPlace) {
  const bmptest::TempDir dir;
  fs::create_directories(dir / "ANS");
  fs::create_directories(dir / "sub");
  bmptest::WriteFile(dir / "ANS/out.bmp", Shades(0));
  const std::string ok = "[[case]]\nname = \"out\"\n";
  const struct {
    const char* file;
    std::string text;
    std::vector<std::string> more;  // more options
    const char* said;
  } rows[] = {
      {"ex.toml", ok + "colour = 1\n", {}, "ex.toml:3:"},
      {"ex.toml", ok + "colour = 1\n", {}, "unknown key"},
      {"ex.toml", ok + "mae = 300\n", {}, "out of range"},
      {"ex.toml", ok + "psnr = \"high\"\n", {}, "ex.toml:3:"},
      {"ex.toml", ok + ok, {}, "already taken"},
      {"ex.toml", "[[case]]\nname = \"../x\"\n", {}, "is not a case name"},
      {"ex.toml", ok + "ignore = [[1, 2, 3]]\n", {}, "ex.toml:3:"},
      {"ex.json", R"({"case": [{"name": "out", "ssim": 2}]})", {}, "/case/0/ssim"},
      {"ex.toml", ok, {"--max", "Nope=1"}, "matches no case"},
      {"ex.toml", "[[case]]\nname = \"gone\"\n", {}, "case gone: reference"},
      {"ex.toml", ok + "input = \"lena.bmp\"\n", {}, "case out: input"},
      {"missing.toml", "", {}, "missing.toml"},
  };
  for (const auto& row : rows) {
    if (std::string(row.file) != "missing.toml") {
      WriteText(dir / row.file, row.text);
    }
    std::vector<std::string> args = {"--exercise", dir / row.file, dir / "sub"};
    args.insert(args.end(), row.more.begin(), row.more.end());
    const bmptest::RunResult r = Check(args);
    EXPECT_EQ(r.exit_status, 2) << row.text;
    EXPECT_EQ(r.out, "") << row.text;
    EXPECT_NE(r.err.find(row.said), std::string::npos) << row.text << "\n" << r.err;
  }
}

TEST(MaeCheckExerciseRun, EachRulePassesAtItsBoundAndFailsBeyond) {
  const bmptest::TempDir dir;
  bmptest::WriteFile(dir / "ref.bmp", Shades(0));
  bmptest::WriteFile(dir / "out.bmp", Shades(10));
  // 16 of 192 pixels, 48 of 576 bytes, off by 10: MAE 0.8333, RMSE
  // 2.88675, PSNR 38.9226 dB, 8.333% differing.
  const Json measured = Json::parse(
      Check({"--json", "--metrics", "ssim", dir / "out.bmp", dir / "ref.bmp"}).out)["cases"][0];
  const double ssim = measured["ssim"].get<double>();
  char at[40];
  char above[40];
  std::snprintf(at, sizeof at, "ssim = %.17g\n", ssim);
  std::snprintf(above, sizeof above, "ssim = %.17g\n", ssim + 1e-9);
  const struct {
    std::string rules;
    bool passes;
    const char* reason;  // a part of the reason when it fails
  } rows[] = {
      {"", false, "MAE 0.833333 above 0 (0–255 scale)"},
      {"mae = 0.84\n", true, ""},
      {"mae = 0.83\n", false, "above 0.83"},
      {"rmse = 2.887\n", true, ""},
      {"rmse = 2.886\n", false, "RMSE 2.88675 above 2.886 (0–255 scale)"},
      {"psnr = 38.92\n", true, ""},
      {"psnr = 38.93\n", false, "PSNR 38.9226 dB below 38.93 dB"},
      {"max_difference = 10\n", true, ""},
      {"max_difference = 9\n", false, "largest difference 10 above 9"},
      {"differing_percent = 8.34\n", true, ""},
      {"differing_percent = 8.33\n", false, "differing pixels 8.33333% above 8.33%"},
      {"differing_percent = 0\ntolerance = 10\n", true, ""},
      {"differing_percent = 0\ntolerance = 9\n", false, "pixels differing by more than 9: "},
      {at, true, ""},
      {above, false, "(of 1) below"},
      {"mae = 1\nmax_difference = 9\n", false, "largest difference 10 above 9"},
      // The raised row left out: nothing differs.
      {"ignore = [[0, 11, 16, 1]]\n", true, ""},
      {"ignore = [[0, 11, 8, 1], [8, 0, 8, 12]]\n", true, ""},
      {"ignore = [[0, 11, 8, 1]]\n", false, "MAE 0.434783 above 0"},
  };
  for (const auto& row : rows) {
    WriteText(dir / "ex.toml",
              "[[case]]\nname = \"out\"\nfail_message = \"See the notes.\"\n" + row.rules);
    const bmptest::RunResult r =
        Check({"--json", "--exercise", dir / "ex.toml", dir / "out.bmp", dir / "ref.bmp"});
    ASSERT_EQ(r.exit_status, row.passes ? 0 : 1) << row.rules << r.err;
    const Json c = Json::parse(r.out)["cases"][0];
    EXPECT_EQ(c["verdict"], row.passes ? "pass" : "fail") << row.rules;
    if (!row.passes) {
      EXPECT_NE(c["reason"].get<std::string>().find(row.reason), std::string::npos)
          << row.rules << c["reason"];
      EXPECT_EQ(c["note"], "See the notes.");
    } else {
      EXPECT_TRUE(c["note"].is_null()) << row.rules;
    }
  }
}

TEST(MaeCheckExerciseRun, IgnoredRectanglesAreHatchedAndNeverCounted) {
  const bmptest::TempDir dir;
  fs::create_directories(dir / "ANS");
  fs::create_directories(dir / "sub");
  bmptest::WriteFile(dir / "ANS/out.bmp", Shades(0));
  bmptest::WriteFile(dir / "sub/out.bmp", Shades(10));
  WriteText(dir / "ex.toml", "[[case]]\nname = \"out\"\nmae = 0\nignore = [[0, 9, 4, 3]]\n");
  const bmptest::RunResult r = Check({"--json", "--exercise", dir / "ex.toml", "--diff",
                                      dir / "diff", "--report", dir / "report.html", dir / "sub"});
  ASSERT_EQ(r.exit_status, 1) << r.err;
  const Json c = Json::parse(r.out)["cases"][0];
  EXPECT_EQ(c["compared_pixels"], 192 - 12);
  EXPECT_EQ(c["differing_pixels"], 12);  // the bottom row's 16 less the 4 ignored
  const bmptest::Decoded png = bmptest::DecodePng(bmptest::ReadFile(dir / "diff/out.png"));
  ASSERT_EQ(png.width, 16u);
  const auto grey = [&](unsigned x, unsigned y) {
    const unsigned char* p = &png.rgb[(y * 16 + x) * 3];
    return p[0] == p[1] && p[1] == p[2] ? p[0] : -1;
  };
  for (unsigned y = 9; y < 12; ++y) {
    for (unsigned x = 0; x < 4; ++x) {
      EXPECT_TRUE(grey(x, y) == 224 || grey(x, y) == 150) << x << "," << y;
    }
  }
  EXPECT_EQ(grey(5, 11), -1);  // a differing pixel beside them keeps its colour
  const Bytes page = bmptest::ReadFile(dir / "report.html");
  EXPECT_NE(std::string(page.begin(), page.end()).find("ignored rectangles, not compared"),
            std::string::npos);
}

// The filters sample, copied so that a printed exercise can lie beside it.
fs::path FiltersSample(const bmptest::TempDir& dir) {
  fs::copy(fs::path(MAE_EXAMPLES_DIR) / "filters", dir / "filters", fs::copy_options::recursive);
  return dir / "filters";
}

TEST(MaeCheckExerciseRun, APrintedExerciseGradesAsTheFileAndOptionsItCameFrom) {
  const bmptest::TempDir dir;
  const fs::path sample = FiltersSample(dir);
  const std::vector<std::string> options = {"--max", "Median=3", "--points", "2", "--border", "1"};
  std::vector<std::string> print = {"--print-exercise", "--exercise", sample / "exercise.toml"};
  print.insert(print.end(), options.begin(), options.end());
  const bmptest::RunResult printed = Check(print);
  ASSERT_EQ(printed.exit_status, 0) << printed.err;
  // Numbers as the file wrote them: the fewest digits that read back.
  EXPECT_NE(printed.out.find("\nssim = 0.98\n"), std::string::npos) << printed.out;
  WriteText(sample / "printed.toml", printed.out);
  std::vector<std::string> direct = {"--json", "--exercise", sample / "exercise.toml",
                                     sample / "student"};
  direct.insert(direct.end(), options.begin(), options.end());
  const bmptest::RunResult a = Check(direct);
  const bmptest::RunResult b =
      Check({"--json", "--exercise", sample / "printed.toml", sample / "student"});
  ASSERT_EQ(a.exit_status, b.exit_status) << b.err;
  EXPECT_EQ(Json::parse(a.out)["cases"], Json::parse(b.out)["cases"]);
  EXPECT_EQ(Json::parse(b.out)["cases"][1]["verdict"], "pass");  // Median, held to 3
}

TEST(MaeCheckExerciseRun, AClassIsGradedByTheExercise) {
  const bmptest::TempDir dir;
  const fs::path sample = FiltersSample(dir);
  fs::create_directories(dir / "class");
  for (const char* name : {"ann", "bob"}) {
    fs::copy(sample / "student", fs::path(dir / "class") / name, fs::copy_options::recursive);
  }
  fs::copy_file(sample / "ANS/median.bmp", dir / "class/bob/median.bmp",
                fs::copy_options::overwrite_existing);
  const bmptest::RunResult r =
      Check({"--class", dir / "class", "--exercise", sample / "exercise.toml", "--csv",
             dir / "grades.csv", "--gradescope", dir / "gs", "--json"});
  ASSERT_EQ(r.exit_status, 1) << r.err;
  const Json doc = Json::parse(r.out);
  ASSERT_EQ(doc["students"].size(), 2u);
  EXPECT_EQ(doc["title"], "Point and neighbourhood operations");
  EXPECT_EQ(doc["students"][0]["score"], 4.0);  // Gray 2 and Equalized 2; Median failed
  EXPECT_EQ(doc["students"][1]["score"], 7.0);
  EXPECT_EQ(doc["students"][0]["cases"][2]["name"], "Equalized");
  EXPECT_TRUE(doc["students"][0]["cases"][1].contains("ssim"));
  EXPECT_TRUE(doc["case_summary"][2].contains("median_rmse"));
  const Bytes csv = bmptest::ReadFile(dir / "grades.csv");
  const std::string head(csv.begin(), std::find(csv.begin(), csv.end(), '\r'));
  EXPECT_NE(head.find(",Gray_verdict,Gray_mae,Median_verdict,"), std::string::npos) << head;
  EXPECT_NE(head.find(",Median_rmse,Median_psnr,Median_ssim,"), std::string::npos) << head;
  const Json gs = Json::parse(bmptest::ReadFile(dir / "gs/ann.json"));
  EXPECT_EQ(gs["tests"][0]["visibility"], "visible");
  EXPECT_EQ(gs["tests"][2]["visibility"], "hidden");
  EXPECT_EQ(gs["score"], 4.0);
  // The table's column heads, made from the case names.
  const bmptest::RunResult table =
      Check({"--class", dir / "class", "--exercise", sample / "exercise.toml"});
  EXPECT_NE(table.out.find("student  score  G  M  E"), std::string::npos) << table.out;
}

}  // namespace
