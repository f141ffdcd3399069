// Thresholds, points, the largest difference and the border, and the
// documents grading platforms read, each held against the shape its
// platform publishes and read back by a real parser.
#include <gtest/gtest.h>
#include <sodium.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/case_names.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::TempDir;
using bmptest::WriteFile;
using Json = nlohmann::json;

using bmptest::kCaseNames;

Json Check(std::vector<std::string> args) {
  args.push_back("--json");
  return Json::parse(bmptest::Run(MAE_CHECK_EXE, args).out)["cases"][0];
}

// w x h pixels of 100, with `change` applied to (x, y) bytes on file row y.
template <typename Change>
Bytes Grey(std::uint32_t w, std::uint32_t h, Change change) {
  Bytes pixels(std::size_t{w} * h * 3, 100);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      change(x, y, &pixels[(std::size_t{y} * w + x) * 3]);
    }
  }
  return MakeBmp(w, h, pixels);
}

TEST(Rules, HoldEachCaseToItsThresholdLargestDifferenceAndBorder) {
  TempDir dir;
  const auto none = [](std::uint32_t, std::uint32_t, unsigned char*) {};
  // One black row of 40 x 300: 40 pixels off by 100, MAE 1/3.
  WriteFile(dir / "row.bmp", Grey(40, 300, [](std::uint32_t, std::uint32_t y, unsigned char* p) {
              if (y == 299) {
                p[0] = p[1] = p[2] = 0;
              }
            }));
  // Off by 9 along the outermost pixels only.
  WriteFile(dir / "edge.bmp", Grey(40, 30, [](std::uint32_t x, std::uint32_t y, unsigned char* p) {
              if (x == 0 || y == 0 || x == 39 || y == 29) {
                p[1] = 109;
              }
            }));
  WriteFile(dir / "ref.bmp", Grey(40, 30, none));
  WriteFile(dir / "tall.bmp", Grey(40, 300, none));
  const std::string row = dir / "row.bmp", edge = dir / "edge.bmp", ref = dir / "ref.bmp";
  const std::string tall = dir / "tall.bmp";
  EXPECT_EQ(Check({"--max", "0.5", row, tall})["verdict"], "pass");
  const Json strict = Check({"--max", "0.5", "--max-difference", "5", row, tall});
  EXPECT_EQ(strict["verdict"], "fail");
  EXPECT_EQ(strict["reason"], "largest difference 100 above 5 (0–255 scale)");
  EXPECT_EQ(strict["mae"], 40.0 * 300 / (40 * 300 * 3));
  // The frame holds 2 x 40 + 2 x 28 = 136 pixels, off by 9 in one byte.
  EXPECT_EQ(Check({edge, ref})["mae"], 136.0 * 9 / (40 * 30 * 3));
  const Json inside = Check({"--border", "1", edge, ref});
  EXPECT_EQ(inside["verdict"], "pass");
  EXPECT_EQ(inside["compared_pixels"], 38 * 28);
  EXPECT_EQ(Check({"--border", "15", edge, ref})["reason"], "nothing left inside the border");
  // A plain --max wherever it stands; among patterns the last that matches.
  // A course's pattern for the ten cases (Sobel*) is taken for a pair it
  // does not match.
  const Json c =
      Check({"--max", "r*=9", "--max", "2", "--max", "ro*=5", "--points", "Sobel*=3", row, tall});
  EXPECT_EQ(c["max"], 5.0);
  EXPECT_EQ(c["points"], 1.0);
  EXPECT_EQ(Check({"--points", "r*=3", row, tall})["points"], 3.0);
  // The boundaries of the numbers taken, each against the row's largest
  // difference of 100 and MAE of 1/3.
  struct Bound {
    std::vector<std::string> options;
    const char* verdict;
  };
  const Bound bounds[] = {
      {{"--max", "1", "--max-difference", "255"}, "pass"},
      {{"--max", "1", "--max-difference", "100"}, "pass"},  // exactly the largest
      {{"--max", "1", "--max-difference", "99"}, "fail"},
      {{"--max", "+0.5"}, "pass"},
  };
  for (const Bound& b : bounds) {
    SCOPED_TRACE(testing::PrintToString(b.options));
    std::vector<std::string> args = b.options;
    args.insert(args.end(), {row, tall});
    EXPECT_EQ(Check(args)["verdict"], b.verdict);
  }
  // Split at the last '=': the pattern may hold one, as a file name may.
  WriteFile(dir / "x=y.bmp", bmptest::ReadFile(row));
  EXPECT_EQ(Check({"--max", "x=y=5", dir / "x=y.bmp", tall})["max"], 5.0);
  const bmptest::RunResult points =
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--points", "S*=2", row, tall});
  EXPECT_EQ(Json::parse(points.out)["point_patterns"],
            (Json::array({Json{{"pattern", "S*"}, {"points", 2.0}}})));
}

// True when every key of `ours` is in `published` with the same JSON
// type, objects and lists compared by their first element.
void ExpectShape(const Json& ours, const Json& published, const std::string& where) {
  for (const auto& [key, value] : ours.items()) {
    ASSERT_TRUE(published.contains(key)) << where << "." << key << " is not in the published shape";
    const Json& theirs = published[key];
    const bool number = value.is_number() && theirs.is_number();
    EXPECT_TRUE(number || value.type() == theirs.type()) << where << "." << key;
    if (value.is_object()) {
      ExpectShape(value, theirs, where + "." + key);
    } else if (value.is_array() && !value.empty() && value[0].is_object()) {
      ExpectShape(value[0], theirs[0], where + "." + key);
    }
  }
}

Json Fixture(const std::string& name) {
  const Bytes bytes = bmptest::ReadFile(MAE_TEST_DATA_DIR "/platforms/" + name);
  return Json::parse(bytes.begin(), bytes.end());
}

TEST(Platforms, WriteTheDocumentsEachPlatformReads) {
  TempDir dir;
  // Ten 1024 x 1024 cases, every one failing with noise all over it.
  const Bytes ref(std::size_t{1024} * 1024 * 3, 128);
  Bytes noisy = ref;
  std::uint32_t state = 7;
  for (auto& byte : noisy) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<unsigned char>(state >> 24);
  }
  for (const char* name : kCaseNames) {
    WriteFile(dir / ("c/" + std::string(name) + ".bmp"), MakeBmp(1024, 1024, noisy));
    WriteFile(dir / ("c/ANS/" + std::string(name) + ".bmp"), MakeBmp(1024, 1024, ref));
  }
  WriteFile(dir / "c/Sobel5.bmp", MakeBmp(1024, 1024, ref));         // one passes
  WriteFile(dir / "c/Sobel4.bmp", bmptest::MakeHeader(1024, 1024));  // one cannot be read
  const bmptest::RunResult r =
      bmptest::Run(MAE_CHECK_EXE,
                   {"--points", "Sobel*=2", "--gradescope", dir / "gs.json", "--prairielearn",
                    dir / "pl.json", "--junit", dir / "junit.xml", "--diff", dir / "d", dir / "c"});
  EXPECT_EQ(r.exit_status, 1) << r.err;

  const Bytes gs_bytes = bmptest::ReadFile(dir / "gs.json");
  const Json gs = Json::parse(gs_bytes.begin(), gs_bytes.end());
  ExpectShape(gs, Fixture("gradescope.json"), "gradescope");
  EXPECT_EQ(gs["score"], 2.0);
  EXPECT_EQ(gs["tests"][8]["status"], "failed");  // an error scores nothing, like a fail
  EXPECT_EQ(gs["tests"][9], (Json{{"name", "Sobel5"},
                                  {"score", 2.0},
                                  {"max_score", 2.0},
                                  {"status", "passed"},
                                  {"output",
                                   "pass\nMAE 0 (at most 0), "
                                   "largest difference 0, differing pixels 0 of 1048576"},
                                  {"visibility", "visible"}}));

  const Bytes pl_bytes = bmptest::ReadFile(dir / "pl.json");
  EXPECT_LT(pl_bytes.size(), 1000u * 1000u);
  const Json pl = Json::parse(pl_bytes.begin(), pl_bytes.end());
  ExpectShape(pl, Fixture("prairielearn.json"), "prairielearn");
  EXPECT_EQ(pl["score"], 2.0 / 15.0);
  for (std::size_t i = 0; i < 8; ++i) {
    ASSERT_EQ(pl["tests"][i]["images"].size(), 1u) << i;
    EXPECT_EQ(
        pl["tests"][i]["images"][0]["url"].get<std::string>().rfind("data:image/png;base64,", 0),
        0u);
  }

  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_file((dir / "junit.xml").c_str()));
  const pugi::xml_node suite = xml.child("testsuites").child("testsuite");
  EXPECT_STREQ(suite.attribute("name").value(), "c");
  EXPECT_EQ(suite.attribute("tests").as_int(), 10);
  EXPECT_EQ(suite.attribute("failures").as_int(), 8);
  EXPECT_EQ(suite.attribute("errors").as_int(), 1);
  const pugi::xml_node first = suite.child("testcase");
  EXPECT_STREQ(first.attribute("classname").value(), "c");
  EXPECT_NE(std::string(first.child("failure").attribute("message").value()).find("above 0"),
            std::string::npos);
  EXPECT_EQ(std::string(first.child_value("system-out")),
            "[[ATTACHMENT|" + (dir / "d/Blur1.png") + "]]");
  const pugi::xml_node unreadable = suite.find_child_by_attribute("testcase", "name", "Sobel4");
  EXPECT_TRUE(unreadable.child("error"));
  EXPECT_FALSE(unreadable.child("failure"));

  // GitHub Classroom: one base64 line, and nothing else on standard output.
  const bmptest::RunResult gh = bmptest::Run(MAE_CHECK_EXE, {"--github-classroom", dir / "c"});
  ASSERT_EQ(gh.out.find('\n'), gh.out.size() - 1);
  std::string text(gh.out.size(), '\0');
  std::size_t length = 0;
  ASSERT_EQ(sodium_base642bin(reinterpret_cast<unsigned char*>(text.data()), text.size(),
                              gh.out.c_str(), gh.out.size() - 1, nullptr, &length, nullptr,
                              sodium_base64_VARIANT_ORIGINAL),
            0);
  const Json result = Json::parse(text.substr(0, length));
  EXPECT_EQ(result["version"], 1);
  EXPECT_EQ(result["status"], "error");  // an error case outweighs the fails
  EXPECT_EQ(result["max_score"], 10.0);
  EXPECT_EQ(result["tests"][9]["status"], "pass");
  EXPECT_EQ(result["tests"][8]["status"], "error");
}

TEST(Platforms, SayWhatCannotBeGraded) {
  TempDir dir;
  for (const char* name : kCaseNames) {
    WriteFile(dir / ("c/ANS/" + std::string(name) + ".bmp"), MakeBmp(1, 1, {1, 2, 3}));
  }
  // No output at all: not gradable, and why.
  bmptest::Run(MAE_CHECK_EXE, {"--prairielearn", dir / "pl.json", dir / "c"});
  const Bytes bytes = bmptest::ReadFile(dir / "pl.json");
  const Json pl = Json::parse(bytes.begin(), bytes.end());
  EXPECT_EQ(pl["gradable"], false);
  EXPECT_EQ(pl["format_errors"].size(), 1u);
  // A missing reference is the grader's mistake: no document, status 2.
  WriteFile(dir / "c/Blur1.bmp", MakeBmp(1, 1, {1, 2, 3}));
  std::filesystem::remove(dir / "c/ANS/Blur2.bmp");
  const bmptest::RunResult r =
      bmptest::Run(MAE_CHECK_EXE, {"--prairielearn", dir / "pl2.json", dir / "c"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("no PrairieLearn results written: the reference"), std::string::npos);
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--github-classroom", "--json", dir / "c"},
        {"--github-classroom", "--class", dir.path().string(), "--ans", dir / "c/ANS"}}) {
    EXPECT_EQ(bmptest::Run(MAE_CHECK_EXE, wrong).exit_status, 2);
  }
}

// What looks wrong reaches every document a student reads: a case whose
// rows are upside down says so in each.
TEST(Platforms, SayWhatLooksWrongInEveryDocument) {
  TempDir dir;
  const std::uint32_t w = 16, h = 12;
  const Bytes pixels = bmptest::MakePixels(w, h, [](std::size_t i) { return i * 37 % 251; });
  Bytes flipped(pixels.size());
  for (std::uint32_t y = 0; y < h; ++y) {
    std::copy_n(&pixels[std::size_t{y} * w * 3], w * 3, &flipped[std::size_t{h - 1 - y} * w * 3]);
  }
  for (const char* name : kCaseNames) {
    WriteFile(dir / ("c/ANS/" + std::string(name) + ".bmp"), MakeBmp(w, h, pixels));
    WriteFile(dir / ("c/" + std::string(name) + ".bmp"), MakeBmp(w, h, pixels));
  }
  std::filesystem::remove(dir / "c/Blur1.bmp");
  WriteFile(dir / "c/sub/Blur1.bmp", MakeBmp(w, h, flipped));
  bmptest::Run(MAE_CHECK_EXE, {"--gradescope", dir / "gs.json", "--prairielearn", dir / "pl.json",
                               "--junit", dir / "junit.xml", dir / "c"});
  const auto json = [&dir](const char* file) {
    const Bytes bytes = bmptest::ReadFile(dir / file);
    return Json::parse(bytes.begin(), bytes.end());
  };
  const std::string upside_down = "the rows are upside down";
  const Json gs = json("gs.json");
  const Json pl = json("pl.json");
  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_file((dir / "junit.xml").c_str()));
  const pugi::xml_node failure =
      xml.child("testsuites").child("testsuite").child("testcase").child("failure");
  const std::string line = bmptest::Run(MAE_CHECK_EXE, {"--github-classroom", dir / "c"}).out;
  std::string text(line.size(), '\0');
  std::size_t length = 0;
  ASSERT_EQ(
      sodium_base642bin(reinterpret_cast<unsigned char*>(text.data()), text.size(), line.c_str(),
                        line.size() - 1, nullptr, &length, nullptr, sodium_base64_VARIANT_ORIGINAL),
      0);
  const Json gh = Json::parse(text.substr(0, length));
  const std::string said[] = {gs["tests"][0]["output"], pl["tests"][0]["message"],
                              pl["tests"][0]["output"], failure.attribute("message").value(),
                              failure.child_value(),    gh["tests"][0]["message"]};
  for (const std::string& words : said) {
    EXPECT_NE(words.find(upside_down), std::string::npos) << words;
    EXPECT_NE(words.find("found as sub/Blur1.bmp"), std::string::npos) << words;
  }
}

}  // namespace
