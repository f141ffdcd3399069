// mae-check --class as a teaching assistant meets it: a class folder with
// a roster, a missing student, one not on the roster, misnamed and hostile
// files, and shared references; the table, JSON and CSV checked against
// figures worked out by hand.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/case_names.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::Ramp;
using bmptest::RunResult;
using bmptest::TempDir;
using bmptest::WriteFile;
using Json = nlohmann::json;

using bmptest::kCaseNames;

// The reference with one byte of its 4 x 3 pixels (36 bytes) raised by
// `by`: an MAE of by / 36.
Bytes Off(int by) {
  Bytes b = Ramp(4, 3);
  b[54 + 5] = static_cast<unsigned char>(b[54 + 5] + by);
  return b;
}

void Hand(const TempDir& root, const std::string& student, const std::string& skip = "") {
  for (const char* name : kCaseNames) {
    if (skip.find(std::string(name) + ",") == std::string::npos) {
      WriteFile(root / (student + "/" + name + ".bmp"), Ramp(4, 3));
    }
  }
}

TEST(Class, GradesEverySubmissionAgainstSharedReferences) {
  TempDir root;
  Hand(root, "refs");  // the references, inside ROOT: not a student
  Hand(root, "alice");
  // bob: Blur1 under another name and folder, Blur2 off by 9, two files
  // that could be Blur3, a FIFO for Blur4, a near miss for Blur5, and a
  // Sobel1 only in his own ANS folder, which is never searched.
  Hand(root, "bob", "Blur1,Blur3,Blur4,Blur5,Sobel1,");
  WriteFile(root / "bob/out/blur1.BMP", Ramp(4, 3));
  WriteFile(root / "bob/Blur2.bmp", Off(9));
  WriteFile(root / "bob/a/blur3.bmp", Ramp(4, 3));
  WriteFile(root / "bob/b/BLUR3.bmp", Ramp(4, 3));
  ASSERT_EQ(::mkfifo((root / "bob/Blur4.bmp").c_str(), 0600), 0);
  WriteFile(root / "bob/Blurr5.bmp", Ramp(4, 3));
  WriteFile(root / "bob/ANS/Sobel1.bmp", Ramp(4, 3));
  Hand(root, "zed");  // not on the roster
  WriteFile(root / "zed/Blur2.bmp", Off(18));
  WriteFile(root / "notes.txt", Bytes{'x'});
  Hand(root, ".git");
  WriteFile(root / "roster.txt", Bytes{});
  const std::string roster =
      "\xEF\xBB\xBF# class of 2026\r\nalice\r\n  bob \r\n\r\ncarol\r\nalice\r\n";
  WriteFile(root / "roster.txt", Bytes(roster.begin(), roster.end()));
  const std::vector<std::string> args = {"--class",     root.path().string(), "--ans",
                                         root / "refs", "--roster",           root / "roster.txt"};

  std::vector<std::string> table_args = args;
  table_args.insert(table_args.end(), {"--csv", root / "grades.csv"});
  const RunResult table = bmptest::Run(MAE_CHECK_EXE, table_args);
  EXPECT_EQ(table.exit_status, 1);
  EXPECT_EQ(table.err, "mae-check: alice is on the roster more than once; counted once\n");
  EXPECT_EQ(table.out,
            "student  score  B1 B2 B3 B4 B5 S1 S2 S3 S4 S5 most common mistake\n"
            "alice    10/10  P  P  P  P  P  P  P  P  P  P\n"
            "bob       5/10  P  F  E  E  E  E  P  P  P  P border only \u00d71\n"
            "carol     0/10  -  -  -  -  -  -  -  -  -  -\n"
            "zed       9/10  P  F  P  P  P  P  P  P  P  P border only \u00d71       not on the "
            "roster\n"
            "\n"
            "case    pass rate  median MAE\n"
            "Blur1        0.75           0\n"
            "Blur2        0.25        0.25\n"
            "Blur3         0.5           0\n"
            "Blur4         0.5           0\n"
            "Blur5         0.5           0\n"
            "Sobel1        0.5           0\n"
            "Sobel2       0.75           0\n"
            "Sobel3       0.75           0\n"
            "Sobel4       0.75           0\n"
            "Sobel5       0.75           0\n"
            "Lowest pass rate: Blur2, 1 of 4 students pass (MAE at most 0)\n");

  std::vector<std::string> json_args = args;
  json_args.push_back("--json");
  const Json j = Json::parse(bmptest::Run(MAE_CHECK_EXE, json_args).out);
  ASSERT_EQ(j["students"].size(), 4u);
  const Json& bob = j["students"][1];
  EXPECT_EQ(bob["score"], 5);
  EXPECT_EQ(bob["errors"], 4);
  EXPECT_EQ(bob["cases"][0]["note"], "found as out/blur1.BMP");
  EXPECT_EQ(bob["cases"][0]["output"], root / "bob/out/blur1.BMP");
  EXPECT_EQ(bob["cases"][1]["mae"], 0.25);
  EXPECT_EQ(bob["cases"][2]["output_status"], "several_candidates");
  EXPECT_EQ(bob["cases"][2]["reason"], "2 files could be Blur3.bmp: a/blur3.bmp, b/BLUR3.bmp");
  EXPECT_EQ(bob["cases"][3]["output_status"], "not_regular_file");
  EXPECT_NE(bob["cases"][4]["reason"].get<std::string>().find("the closest name there is "
                                                              "Blurr5.bmp"),
            std::string::npos);
  EXPECT_EQ(bob["cases"][5]["output_status"], "cannot_open");
  const Json& carol = j["students"][2];
  EXPECT_EQ(carol["submitted"], false);
  EXPECT_TRUE(carol["cases"][0]["output"].is_null());
  EXPECT_EQ(carol["cases"][0]["output_status"], "no_submission");
  EXPECT_TRUE(carol["cases"][0]["reference_status"].is_null());
  EXPECT_EQ(j["students"][3]["on_roster"], false);
  EXPECT_EQ(j["case_summary"][1], (Json{{"name", "Blur2"},
                                        {"passed", 1},
                                        {"failed", 2},
                                        {"errors", 1},
                                        {"pass_rate", 0.25},
                                        {"median_mae", 0.25}}));

  // The CSV through Python's own reader: the same fields, one row each.
  const RunResult csv = bmptest::Run(
      "/usr/bin/env", {"python3", "-c",
                       "import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], "
                       "encoding='utf-8-sig', newline='')))))",
                       root / "grades.csv"});
  ASSERT_EQ(csv.exit_status, 0) << csv.err;
  const Json rows = Json::parse(csv.out);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][6], "Blur1_verdict");
  // Today's columns first, where scripts read them by position.
  const Json bob_row(rows[2].begin(), rows[2].begin() + 26);
  EXPECT_EQ(bob_row, (Json{"bob",   "5", "10",    "5", "1",     "4", "pass",  "0", "fail", "0.25",
                           "error", "",  "error", "",  "error", "",  "error", "",  "pass", "0",
                           "pass",  "0", "pass",  "0", "pass",  "0"}));
  // Then who is on the roster and handed in, and each case's reason and
  // diagnosis codes.
  EXPECT_EQ(rows[0][26], "on_roster");
  EXPECT_EQ(rows[0][29], "Blur1_diagnosis");
  EXPECT_EQ(rows[2][26], "true");
  EXPECT_EQ(rows[2][27], "true");
  EXPECT_EQ(rows[2][30], "MAE 0.25 above 0 (0\u2013255 scale)");
  EXPECT_EQ(rows[2][31], "border_only");
  EXPECT_EQ(rows[3][27], "false");  // carol handed nothing in
  EXPECT_EQ(rows[3][6], "error");
  EXPECT_EQ(rows[3][7], "");
}

TEST(Class, WritesNamesSafelyAndSaysWhatIsWrongWithTheSetup) {
  TempDir root;
  Hand(root, "refs");
  Hand(root, "=1+1, \"x\"");  // a formula, a comma and quotes
  Hand(root, "[[ATTACHMENT|evil]]");
  WriteFile(root / "[[ATTACHMENT|evil]]/Blur1.bmp", Off(40));
  const RunResult r = bmptest::Run(
      MAE_CHECK_EXE, {"--class", root.path().string(), "--ans", root / "refs", "--csv",
                      root / "g.csv", "--junit", root / "j.xml", "--diff", root / "dd"});
  EXPECT_EQ(r.exit_status, 1);
  const Bytes junit = bmptest::ReadFile(root / "j.xml");
  EXPECT_EQ(std::string(junit.begin(), junit.end()).find("[[ATTACHMENT|"), std::string::npos);
  const Bytes csv = bmptest::ReadFile(root / "g.csv");
  const std::string text(csv.begin(), csv.end());
  EXPECT_NE(text.find("\r\n\"'=1+1, \"\"x\"\"\",10,10,10,0,0,pass,0,"), std::string::npos);
  std::filesystem::create_directories(root / "empty");
  WriteFile(root / "zips/bob.zip", Bytes{'P', 'K'});
  WriteFile(root / "zips/ann.ZIP", Bytes{'P', 'K'});
  const std::string nul("ann\nal\0ice\n", 12);
  WriteFile(root / "nul.txt", Bytes(nul.begin(), nul.end()));
  struct Wrong {
    std::vector<std::string> args;
    const char* line;
  };
  const Wrong cases[] = {
      {{"--class", "@r"},
       "--class needs --ans FOLDER, the references every submission is "
       "checked against\nTry 'mae-check --help'.\n"},
      {{"--class", "@r", "--ans", "@r/none"},
       "--ans @r/none: No such file or directory; expected the folder of the ten references\n"},
      {{"--class", "@r", "--ans", "@r/refs", "--roster", "@r/none"},
       "cannot read the roster @r/none: No such file or directory\n"},
      {{"--csv", "x", "@r"}, "--csv goes with --class ROOT\nTry 'mae-check --help'.\n"},
      {{"--class", "@r/empty", "--ans", "@r/refs"}, "no submission folders in @r/empty\n"},
      {{"--class", "@r/zips", "--ans", "@r/refs"},
       "no submission folders in @r/zips; 2 .zip files found: extract them first\n"},
      {{"--class", "@r", "--ans", "@r/refs", "--roster", "@r/nul.txt"},
       "cannot read the roster @r/nul.txt: line 2 holds a NUL byte\n"},
  };
  const auto in_root = [&root](std::string s) {
    for (std::size_t at = s.find("@r"); at != std::string::npos; at = s.find("@r")) {
      s.replace(at, 2, root.path().string());
    }
    return s;
  };
  for (const Wrong& c : cases) {
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
      args.push_back(in_root(arg));
    }
    const std::string line = in_root(c.line);
    const RunResult wrong = bmptest::Run(MAE_CHECK_EXE, args);
    EXPECT_EQ(wrong.exit_status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "mae-check: " + line);
  }
  WriteFile(root / "roster.txt", Bytes{'n', 'o', 'b', 'o', 'd', 'y', '\n'});
  const RunResult no_match = bmptest::Run(
      MAE_CHECK_EXE,
      {"--class", root / "empty/..", "--ans", root / "refs", "--roster", root / "roster.txt"});
  EXPECT_NE(no_match.err.find("mae-check: no name on the roster " + (root / "roster.txt") +
                              " matches a folder in "),
            std::string::npos)
      << no_match.err;
}

TEST(Class, MarksIdenticalFailingOutputsButNotIdenticalCorrectOnes) {
  TempDir root;
  Hand(root, "refs");
  for (const char* student : {"ann", "ben", "cat", "dan", "eve"}) {
    Hand(root, student);
  }
  // ann, ben and cat hand in the same wrong Blur1; cat's file has bytes
  // after its pixels, which the pixel hash ignores. dan and eve pass alike.
  for (const char* student : {"ann", "ben"}) {
    WriteFile(root / (std::string(student) + "/Blur1.bmp"), Off(40));
  }
  Bytes padded = Off(40);
  padded.resize(padded.size() + 7, 0);
  WriteFile(root / "cat/Blur1.bmp", padded);
  const RunResult r = bmptest::Run(
      MAE_CHECK_EXE, {"--json", "--class", root.path().string(), "--ans", root / "refs"});
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["identical_groups"],
            (Json::array({Json{{"case", "Blur1"}, {"students", {"ann", "ben", "cat"}}}})));
  EXPECT_EQ(j["students"][0]["cases"][0]["identical_to"], (Json{"ben", "cat"}));
  EXPECT_FALSE(j["students"][3]["cases"][0].contains("identical_to"));
  const std::string table =
      bmptest::Run(MAE_CHECK_EXE, {"--class", root.path().string(), "--ans", root / "refs"}).out;
  EXPECT_NE(table.find("identical hand-ins: ann, ben, cat: Blur1\n1 group of identical hand-ins."),
            std::string::npos)
      << table;
}

// Every way a submission can hand in what is not its own work, or stand
// for no student at all, against the same references kept outside ROOT.
TEST(Class, GradesOnlyWhatIsTheStudentsOwnWork) {
  TempDir d;
  Hand(d, "refs");
  const std::string subs = d / "subs";
  Hand(d, "subs/alice");
  Hand(d, "subs/inside", "Blur1,");
  WriteFile(d / "subs/inside/work/b1.bmp", Ramp(4, 3));
  ASSERT_EQ(::symlink("work/b1.bmp", (d / "subs/inside/Blur1.bmp").c_str()), 0);
  for (const char* name : kCaseNames) {
    const std::string file = std::string(name) + ".bmp";
    WriteFile(d / ("subs/cheat/" + file + ".txt"), Bytes{});
    ASSERT_EQ(::symlink(("../../refs/" + file).c_str(), (d / ("subs/cheat/" + file)).c_str()), 0);
    WriteFile(d / ("subs/hard/" + file + ".txt"), Bytes{});
    ASSERT_EQ(::link((d / ("refs/" + file)).c_str(), (d / ("subs/hard/" + file)).c_str()), 0);
    WriteFile(d / ("subs/peek/" + file + ".txt"), Bytes{});
    ASSERT_EQ(::symlink(("../alice/" + file).c_str(), (d / ("subs/peek/" + file)).c_str()), 0);
  }
  WriteFile(d / "subs/empty/.DS_Store", Bytes{1});
  WriteFile(d / "subs/empty/__MACOSX/._Blur1.bmp", Bytes{1});
  ASSERT_EQ(::symlink("alice", (d / "subs/linky").c_str()), 0);
  Hand(d, "subs/ann", "Blur1,");
  Hand(d, "subs/ann2");  // ann's Blur1 leads into ann2, which only starts like ann
  ASSERT_EQ(::symlink("../ann2/Blur1.bmp", (d / "subs/ann/Blur1.bmp").c_str()), 0);
  Hand(d, "subs/procy", "Blur1,");
  // Through /proc, back into its own folder: realpath(3) would pass it.
  WriteFile(d / "subs/procy/mine.bmp", Ramp(4, 3));
  ASSERT_EQ(::symlink(("/proc/self/root" + (d / "subs/procy/mine.bmp")).c_str(),
                      (d / "subs/procy/Blur1.bmp").c_str()),
            0);
  Hand(d, "subs/hl1");
  Hand(d, "subs/hl2", "Blur1,");  // one file in two submissions
  ASSERT_EQ(::link((d / "subs/hl1/Blur1.bmp").c_str(), (d / "subs/hl2/Blur1.bmp").c_str()), 0);
  WriteFile(d / "subs/mac/__MACOSX/notes.txt", Bytes{1});
  Hand(d, "subs/hider");  // a planted list does not hide its student
  WriteFile(d / "subs/hider/.mae-check-files", Bytes{'#', '\n'});
  Hand(d, "subs/Jose\xcc\x81");  // decomposed, as macOS unzips it
  Hand(d, "subs/Zo\xc3\xab");
  Hand(d,
       "subs/Ren\xc3\xa9"
       "e");                    // composed
  Hand(d, "subs/Zoe\xcc\x88");  // the same name, decomposed: both graded
  const std::string roster = "alice\ncheat\nempty\nhard\ninside\nlinky\npeek\nJos\xc3\xa9\n";
  WriteFile(d / "roster.txt", Bytes(roster.begin(), roster.end()));
  const RunResult r =
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--class", subs, "--ans", d / "refs", "--reports",
                                   subs + "/_rep", "--gradescope", subs + "/gs/docs"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err,
            "mae-check: not graded, being mae-check's own folders: _rep (--reports), gs "
            "(--gradescope)\n"
            "mae-check: linky is a symbolic link to a folder: not followed, not graded\n"
            "mae-check: Zoe\\u0308 and Zo\\u00eb are one name in Unicode; both are graded\n"
            "mae-check: hider holds a .mae-check-files list but files mae-check did not write: "
            "the list is ignored and it is graded\n");
  const Json students = Json::parse(r.out)["students"];
  struct Row {
    const char* name;
    const char* status;  // of Blur1's output
    bool submitted;
    const char* reason;  // a part of Blur1's reason; "" for none
    int passed;
  };
  const Row rows[] = {
      {"Jose\xcc\x81", "ok", true, "", 10},
      {"Ren\xc3\xa9"
       "e",
       "ok", true, "", 10},
      {"Zoe\xcc\x88", "ok", true, "", 10},
      {"Zo\xc3\xab", "ok", true, "", 10},
      {"alice", "ok", true, "", 10},
      {"ann", "link_outside_submission", true, "ann2/Blur1.bmp", 9},
      {"ann2", "ok", true, "", 10},
      {"cheat", "same_file_as_reference", true, "cheat/Blur1.bmp is the reference itself", 0},
      {"empty", "empty_submission", false, "empty submission", 0},
      {"hard", "same_file_as_reference", true, "hard/Blur1.bmp is the reference itself", 0},
      {"hider", "ok", true, "", 10},
      {"hl1", "ok", true, "", 10},
      {"hl2", "ok", true, "", 10},
      {"inside", "ok", true, "", 10},
      {"linky", "linked_folder", false, "linked folder, not graded", 0},
      {"mac", "empty_submission", false, "empty submission", 0},
      {"peek", "link_outside_submission", true, "outside the submission, to ", 0},
      {"procy", "link_outside_submission", true, "procy/Blur1.bmp links outside", 9},
  };
  ASSERT_EQ(students.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const Json& s = students[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(s["name"], row.name);
    EXPECT_EQ(s["submitted"], row.submitted);
    const Json& c = s["cases"][0];
    EXPECT_EQ(c["output_status"], row.status);
    const std::string reason = c["reason"].is_null() ? "" : c["reason"].get<std::string>();
    EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
    EXPECT_EQ(s["passed"], row.passed);
  }
  EXPECT_EQ(students[11]["cases"][0]["note"], "same file as hl2's Blur1.bmp");
  EXPECT_EQ(Json::parse(r.out)["identical_hand_ins"],
            (Json::array({Json{{"students", {"hl1", "hl2"}}, {"cases", {"Blur1"}}}})));
  EXPECT_EQ(students[16]["cases"][0]["reason"],
            "output " + subs + "/peek/Blur1.bmp links outside the submission, to " +
                std::filesystem::canonical(d / "subs/alice/Blur1.bmp").string());

  const RunResult table = bmptest::Run(
      MAE_CHECK_EXE, {"--class", subs, "--ans", d / "refs", "--roster", d / "roster.txt"});
  EXPECT_NE(table.out.find("Jose\xcc\x81     10/10  P  P  P  P  P  P  P  P  P  P\n"),
            std::string::npos)
      << table.out;  // on the roster by its composed name
  EXPECT_NE(table.out.find("empty     0/10  -  -  -  -  -  -  -  -  -  -  empty submission\n"),
            std::string::npos);
  EXPECT_NE(table.out.find("linky     0/10  -  -  -  -  -  -  -  -  -  -  linked folder, not "
                           "graded\n"),
            std::string::npos);
  EXPECT_EQ(table.out.find("Jos\xc3\xa9 "), std::string::npos);  // no second row
  const RunResult decomposed =
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--class", subs, "--ans", d / "refs", "--only",
                                   "Rene\xcc\x81"
                                   "e"});
  EXPECT_EQ(Json::parse(decomposed.out)["students"][0]["name"],
            "Ren\xc3\xa9"
            "e");
  // The same roster saved as UTF-16, either byte order, gives the same table.
  for (const bool big : {false, true}) {
    Bytes utf16 = {0xFF, 0xFE};
    if (big) {
      std::swap(utf16[0], utf16[1]);
    }
    const std::u16string text = u"alice\ncheat\nempty\nhard\ninside\nlinky\npeek\nJos\u00e9\n";
    for (const char16_t unit : text) {
      const auto high = static_cast<unsigned char>(unit >> 8);
      const auto low = static_cast<unsigned char>(unit & 0xFF);
      utf16.insert(utf16.end(), {big ? high : low, big ? low : high});
    }
    WriteFile(d / "roster16.txt", utf16);
    EXPECT_EQ(bmptest::Run(MAE_CHECK_EXE,
                           {"--class", subs, "--ans", d / "refs", "--roster", d / "roster16.txt"})
                  .out,
              table.out);
  }
}

// A rerun leaves no page, document or picture of a student it no longer
// grades; --only replaces one student's and removes nothing.
TEST(Class, LeavesNoStaleDocumentsAndRegradesOneStudentAlone) {
  TempDir d;
  Hand(d, "refs");
  for (const char* student : {"ann", "ben", "cat"}) {
    Hand(d, std::string("subs/") + student);
    WriteFile(d / (std::string("subs/") + student + "/Blur2.bmp"), Off(9));
  }
  WriteFile(d / "gs/mine.json", Bytes{'x'});  // the TA's own: never touched
  const std::vector<std::string> args = {"--class",      d / "subs", "--ans",          d / "refs",
                                         "--reports",    d / "rep",  "--diff",         d / "diff",
                                         "--gradescope", d / "gs",   "--prairielearn", d / "pl"};
  const auto files = [&d] {
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(d.path())) {
      const std::string path = e.path().string().substr(d.path().string().size() + 1);
      if (path.compare(0, 4, "subs") != 0 && path.compare(0, 4, "refs") != 0 &&
          e.path().filename() != ".mae-check-files") {
        // The shared pictures are named by their hashes.
        all.push_back(path.compare(0, 11, "rep/shared/") == 0 ? "rep/shared/*.js" : path);
      }
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
  };
  ASSERT_EQ(bmptest::Run(MAE_CHECK_EXE, args).exit_status, 1);
  std::filesystem::remove_all(d / "subs/ben");
  const RunResult rerun = bmptest::Run(MAE_CHECK_EXE, args);
  EXPECT_EQ(rerun.err, "");
  // The ten references are one picture: its script is included once a page.
  const Bytes page_bytes = bmptest::ReadFile(d / "rep/students/ann.html");
  const std::string page(page_bytes.begin(), page_bytes.end());
  std::size_t scripts = 0;
  for (std::size_t at = page.find("<script src="); at != std::string::npos;
       at = page.find("<script src=", at + 1)) {
    ++scripts;
  }
  EXPECT_EQ(scripts, 1u);
  std::vector<std::string> expected = {"diff",
                                       "diff/ann",
                                       "diff/cat",
                                       "gs",
                                       "gs/ann.json",
                                       "gs/cat.json",
                                       "gs/mine.json",
                                       "pl",
                                       "pl/ann.json",
                                       "pl/cat.json",
                                       "rep",
                                       "rep/index.html",
                                       "rep/shared",
                                       "rep/shared/*.js",
                                       "rep/students",
                                       "rep/students/ann.html",
                                       "rep/students/cat.html"};
  for (const char* name : kCaseNames) {
    for (const char* student : {"ann", "cat"}) {
      expected.push_back(std::string("diff/") + student + "/" + name + ".png");
    }
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files(), expected);

  // cat alone, after fixing Blur2: cat's row as in the whole class, cat's
  // files replaced, ann's left, the class index kept.
  Hand(d, "subs/cat");
  const Bytes ann_page = bmptest::ReadFile(d / "rep/students/ann.html");
  const Bytes index = bmptest::ReadFile(d / "rep/index.html");
  std::vector<std::string> only = args;
  only.insert(only.end(), {"--only", "cat", "--json"});
  const RunResult one = bmptest::Run(MAE_CHECK_EXE, only);
  EXPECT_EQ(one.exit_status, 0);
  EXPECT_EQ(one.err,
            "mae-check: identical failing outputs are not looked for with --only: that needs "
            "the whole class\n");
  const Json j = Json::parse(one.out);
  ASSERT_EQ(j["students"].size(), 1u);
  EXPECT_EQ(j["students"][0]["passed"], 10);
  EXPECT_EQ(j["case_summary"][1]["pass_rate"], 1.0);
  EXPECT_EQ(files(), expected);
  EXPECT_EQ(bmptest::ReadFile(d / "rep/students/ann.html"), ann_page);
  EXPECT_EQ(bmptest::ReadFile(d / "rep/index.html"), index);
  const Bytes gs = bmptest::ReadFile(d / "gs/cat.json");
  EXPECT_NE(std::string(gs.begin(), gs.end()).find("\"score\": 10.0"), std::string::npos);
  only.back() = "nobody";
  only.insert(only.end() - 1, "--only");
  EXPECT_EQ(bmptest::Run(MAE_CHECK_EXE, only).exit_status, 2);
}

// One student's folder checked alone gets the verdicts it gets in the
// class: misplaced outputs found, links out of it refused.
TEST(Class, GradesAFolderAloneAsItIsGradedInTheClass) {
  TempDir d;
  Hand(d, "refs");
  Hand(d, "subs/bob", "Blur1,Blur2,Sobel1,Sobel5,");
  WriteFile(d / "subs/bob/out/run1/blur1.BMP", Ramp(4, 3));
  WriteFile(d / "subs/bob/a/b/c/d/e/Blur2.bmp", Ramp(4, 3));  // five folders down: not found
  WriteFile(d / "subs/bob/__MACOSX/Sobel5.bmp", Ramp(4, 3));  // never searched
  ASSERT_EQ(::symlink((d / "refs/Sobel1.bmp").c_str(), (d / "subs/bob/Sobel1.bmp").c_str()), 0);
  const Json alone = Json::parse(
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--ans", d / "refs", d / "subs/bob/"}).out);
  const Json in_class = Json::parse(
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--class", d / "subs", "--ans", d / "refs"}).out);
  const Json& cases = in_class["students"][0]["cases"];
  ASSERT_EQ(alone["cases"].size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    for (const char* key : {"verdict", "output_status", "note", "output"}) {
      EXPECT_EQ(alone["cases"][i][key], cases[i][key]) << key;
    }
  }
  EXPECT_EQ(cases[0]["note"], "found as out/run1/blur1.BMP");
  EXPECT_EQ(cases[0]["output"], d / "subs/bob/out/run1/blur1.BMP");  // no "//"
  EXPECT_EQ(cases[1]["output_status"], "cannot_open");
  EXPECT_EQ(cases[5]["output_status"], "same_file_as_reference");
  EXPECT_EQ(cases[9]["output_status"], "cannot_open");
  // The folders of --diff and --report inside it are never searched.
  WriteFile(d / "subs/bob/pics/Blur1.bmp", Ramp(4, 3));
  WriteFile(d / "subs/bob/rp/Blur1.bmp", Ramp(4, 3));
  const Json skipping = Json::parse(
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--ans", d / "refs", "--diff", d / "subs/bob/pics",
                                   "--report", d / "subs/bob/rp/r.html", d / "subs/bob/"})
          .out);
  EXPECT_EQ(skipping["cases"][0]["note"], "found as out/run1/blur1.BMP");
  // Nor is a folder the tool wrote, its list naming every file in it: an
  // old run's Blur2.png there is not Blur2's output.
  WriteFile(d / "subs/bob/old/Blur2.png", Ramp(4, 3));
  const std::string list = "# Files mae-check wrote\nBlur2.png\n";
  WriteFile(d / "subs/bob/old/.mae-check-files", Bytes(list.begin(), list.end()));
  const Json listed = Json::parse(
      bmptest::Run(MAE_CHECK_EXE, {"--json", "--ans", d / "refs", d / "subs/bob/"}).out);
  EXPECT_EQ(listed["cases"][1]["output_status"], "cannot_open");
}

// The per-case figures over a class, and a CSV that a spreadsheet and
// Python's csv module read back exactly, whatever the names.
TEST(Class, SummarisesEachCaseAndWritesACsvThatReadsBack) {
  TempDir d;
  Hand(d, "refs");
  // Blur2's MAEs, in name order: 0.75, 0.25, 1, 0; its median is 0.5.
  // Blur3 has the same pass rate as Blur2: the first of them is named.
  const char* names[] = {"\tann", "ben", "cat\ndog", "dan"};
  const int blur2[] = {27, 9, 36, 0};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string student = std::string("subs/") + names[i];
    Hand(d, student);
    WriteFile(d / (student + "/Blur2.bmp"), Off(blur2[i]));
    if (i < 3) {
      WriteFile(d / (student + "/Blur3.bmp"), Off(1));
    }
  }
  WriteFile(d / "subs/ben/Blur1.bmp", Off(1));  // an MAE of 1/36
  const RunResult r = bmptest::Run(
      MAE_CHECK_EXE, {"--class", d / "subs", "--ans", d / "refs", "--csv", d / "g.csv"});
  EXPECT_NE(r.out.find("Blur2        0.25         0.5\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Lowest pass rate: Blur2, 1 of 4 students pass"), std::string::npos);
  const RunResult csv = bmptest::Run(
      "/usr/bin/env", {"python3", "-c",
                       "import csv, sys\n"
                       "rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', "
                       "newline='')))\n"
                       "print(repr([r[0] for r in rows[1:]]), float(rows[2][7]) == 1 / 36)",
                       d / "g.csv"});
  ASSERT_EQ(csv.exit_status, 0) << csv.err;
  EXPECT_EQ(csv.out, "[\"'\\tann\", 'ben', 'cat\\ndog', 'dan'] True\n");
}

// Copying apart from a shared mistake: three students hand in the same two
// wrong outputs; two others the same upside-down output, which any program
// with that mistake writes alike.
TEST(Class, TellsCopiesFromTheSameKnownMistake) {
  TempDir root;
  Hand(root, "refs");
  for (const char* student : {"ann", "ben", "cat", "dan", "eve"}) {
    Hand(root, student);
  }
  for (const char* student : {"ann", "ben", "cat"}) {
    WriteFile(root / (std::string(student) + "/Blur1.bmp"), Off(40));
    WriteFile(root / (std::string(student) + "/Blur3.bmp"), Off(9));
  }
  Bytes flipped = Ramp(4, 3);
  std::swap_ranges(flipped.begin() + 54, flipped.begin() + 54 + 12, flipped.begin() + 54 + 24);
  for (const char* student : {"dan", "eve"}) {
    WriteFile(root / (std::string(student) + "/Blur2.bmp"), flipped);
  }
  const RunResult r = bmptest::Run(
      MAE_CHECK_EXE,
      {"--json", "--class", root.path().string(), "--ans", root / "refs", "--csv", root / "g.csv"});
  const Json j = Json::parse(r.out);
  // The CSV holds each case's diagnosis codes joined with ';'.
  std::string codes;
  for (const Json& d : j["students"][3]["cases"][1]["diagnosis"]) {
    codes += (codes.empty() ? "" : ";") + d["code"].get<std::string>();
  }
  EXPECT_NE(codes.find(';'), std::string::npos);
  const Bytes csv = bmptest::ReadFile(root / "g.csv");
  EXPECT_NE(std::string(csv.begin(), csv.end()).find("," + codes + ","), std::string::npos);
  EXPECT_EQ(
      j["identical_hand_ins"],
      (Json::array({Json{{"students", {"ann", "ben", "cat"}}, {"cases", {"Blur1", "Blur3"}}}})));
  EXPECT_EQ(j["same_known_mistakes"],
            (Json::array({Json{{"students", {"dan", "eve"}}, {"cases", {"Blur2"}}}})));
  EXPECT_EQ(j["identical_groups"].size(), 3u);  // one a case, as before
  const std::string table =
      bmptest::Run(MAE_CHECK_EXE, {"--class", root.path().string(), "--ans", root / "refs"}).out;
  EXPECT_NE(table.find("identical hand-ins: ann, ben, cat: Blur1, Blur3\n"
                       "same known mistake: dan, eve: Blur2\n"),
            std::string::npos)
      << table;
  // The overview says it in each cell, and links the cell to the case.
  bmptest::Run(MAE_CHECK_EXE, {"--class", root.path().string(), "--ans", root / "refs", "--reports",
                               root / "rep"});
  const Bytes index = bmptest::ReadFile(root / "rep/index.html");
  const std::string html(index.begin(), index.end());
  EXPECT_NE(html.find("<a href=\"students/dan.html#case-1\">F</a><br><span "
                      "class=\"mistake\">rows upside down</span>"),
            std::string::npos);
}

}  // namespace

namespace {

// Every file below `folder`, by path relative to it, the lists left out.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> all;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    if (e.is_regular_file() && e.path().filename() != ".mae-check-files") {
      all.push_back(e.path().string().substr(folder.size() + 1));
    }
  }
  std::sort(all.begin(), all.end());
  return all;
}

}  // namespace

// Names from a roster or a folder are never paths: each student gets
// documents and a page of its own inside the output folders, and a rerun
// removes those of students it no longer grades.
TEST(Class, KeepsEveryNameInsideItsOutputFolder) {
  TempDir d;
  Hand(d, "refs");
  const std::string long_name(250, 'a');
  Hand(d, "subs/" + long_name);
  const std::vector<std::string> out = {"--class",  d / "subs",     "--ans",
                                        d / "refs", "--gradescope", d / "out/gs"};
  ASSERT_EQ(bmptest::Run(MAE_CHECK_EXE, out).exit_status, 0);
  const std::vector<std::string> first = FilesBelow(d / "out/gs");
  ASSERT_EQ(first.size(), 1u);
  const std::string short_name = first[0].substr(0, first[0].size() - 5);  // less ".json"
  ASSERT_EQ(short_name.size(), 200u);
  Hand(d, "subs/" + short_name);  // the long name's shortened form, as a name of its own
  Hand(d, "subs/#x");
  const std::string roster = "../ta/notes\nsmith/jones\n.x\n#x\n";
  WriteFile(d / "roster.txt", Bytes(roster.begin(), roster.end()));
  std::vector<std::string> args = {"--class",        d / "subs",       "--ans",        d / "refs",
                                   "--roster",       d / "roster.txt", "--gradescope", d / "out/gs",
                                   "--reports",      d / "out/rep",    "--diff",       d / "out/dd",
                                   "--prairielearn", d / "out/pl"};
  const RunResult r = bmptest::Run(MAE_CHECK_EXE, args);
  EXPECT_EQ(r.exit_status, 1) << r.err;
  const std::vector<std::string> docs = {"#x.json",
                                         "%2E.%2Fta%2Fnotes.json",
                                         "%2Ex.json",
                                         "smith%2Fjones.json",
                                         short_name + ".json",
                                         short_name + "~2.json"};
  std::vector<std::string> sorted = docs;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(FilesBelow(d / "out/gs"), sorted);
  EXPECT_EQ(FilesBelow(d / "out/pl"), sorted);
  EXPECT_EQ(FilesBelow(d / "out/rep/students"),
            (std::vector<std::string>{"#x.html", short_name + ".html", short_name + "~2.html"}));
  const Bytes index = bmptest::ReadFile(d / "out/rep/index.html");
  EXPECT_NE(std::string(index.begin(), index.end()).find("students/" + short_name + "~2.html"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(d / "ta"));
  EXPECT_FALSE(std::filesystem::exists(d / "out/ta"));
  // Without #x and the roster, a rerun leaves only the two long names' files.
  std::filesystem::remove_all(d / "subs/#x");
  args.erase(args.begin() + 4, args.begin() + 6);
  EXPECT_EQ(bmptest::Run(MAE_CHECK_EXE, args).exit_status, 0);
  EXPECT_EQ(FilesBelow(d / "out/gs"),
            (std::vector<std::string>{short_name + ".json", short_name + "~2.json"}));
  EXPECT_EQ(FilesBelow(d / "out/rep/students"),
            (std::vector<std::string>{short_name + ".html", short_name + "~2.html"}));
  EXPECT_EQ(FilesBelow(d / "out/dd").size(), 20u);
  // A FIFO where a document goes is an error, never a wait.
  std::filesystem::remove(d / ("out/gs/" + short_name + ".json"));
  ASSERT_EQ(::mkfifo((d / ("out/gs/" + short_name + ".json")).c_str(), 0600), 0);
  const RunResult fifo = bmptest::Run(MAE_CHECK_EXE, args);
  EXPECT_EQ(fifo.exit_status, 2);
  EXPECT_NE(fifo.err.find(".json: not a regular file\n"), std::string::npos) << fifo.err;
}
