// mae-check as users meet it: real files in a temporary folder, the whole
// output, and the exit status; its JSON read back by a real parser and its
// pictures by a real PNG decoder.
#include <gtest/gtest.h>
#include <sodium.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "shown_text.h"
#include "testkit/bmp_bytes.h"
#include "testkit/case_names.h"
#include "testkit/png_decode.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;
using namespace mae::check;

using bmptest::Bytes;
using bmptest::Decoded;
using bmptest::DecodePng;
using bmptest::MakeBmp;
using bmptest::MakeHeader;
using bmptest::Ramp;
using bmptest::ReadFile;
using bmptest::RunResult;
using bmptest::TempDir;
using bmptest::WithInfoSize;
using bmptest::WriteFile;
using Json = nlohmann::json;

RunResult Check(const std::vector<std::string>& args) {
  return bmptest::Run(MAE_CHECK_EXE, args);
}

// The ramp with byte `index` of its pixels raised by `by`.
Bytes RampWith(std::uint32_t w, std::uint32_t h, std::size_t index, int by) {
  Bytes b = Ramp(w, h);
  b[54 + index] = static_cast<unsigned char>(b[54 + index] + by);
  return b;
}

Bytes Bordered(std::uint32_t w, std::uint32_t h) {
  Bytes b = Ramp(w, h);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
        b[54 + (y * w + x) * 3 + 1] ^= 1;
      }
    }
  }
  return b;
}

struct Figures {
  Json mae;             // null when none
  Json max_difference;  // null when not compared
  Json differing_pixels;
  Json compared_pixels;
};

struct PairCase {
  const char* name;
  std::function<void(const TempDir&)> make;  // writes out.bmp and ref.bmp (or not)
  std::vector<std::string> options;
  const char* verdict;
  const char* reason;  // a part of the reason; "" for none
  Figures figures;
  int exit_status;
  const char* output_status = "ok";
  const char* reference_status = "ok";
};

void Files(const TempDir& d, const Bytes& out, const Bytes& ref) {
  WriteFile(d / "out.bmp", out);
  WriteFile(d / "ref.bmp", ref);
}

using Make = std::function<void(const TempDir&)>;
using Args = std::vector<std::string>;

// Writes the two files of a case; the reference defaults to a 2 x 2 ramp.
Make Pair(const Bytes& out, const Bytes& ref = Ramp(2, 2)) {
  return [out, ref](const TempDir& d) { Files(d, out, ref); };
}

PairCase Passes(const char* name, Make make, Figures f, Args options = {}) {
  return {name, std::move(make), std::move(options), "pass", "", std::move(f), 0};
}
PairCase Fails(const char* name, Make make, const char* reason, Figures f, Args options = {}) {
  return {name, std::move(make), std::move(options), "fail", reason, std::move(f), 1};
}
PairCase Errs(const char* name, Make make, const char* reason, const char* output_status,
              const char* reference_status = "ok") {
  const Json null = nullptr;
  return {name,          std::move(make), {}, "error", reason, {null, null, null, null}, 1,
          output_status, reference_status};
}

Bytes PngNamedBmp() {
  const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x02\0\0\0\x02\x08\x02";
  Bytes bytes(png.begin(), png.end());
  bytes.resize(40, 0);
  return bytes;
}

TEST(MaeCheck, GivesEveryPairItsVerdictFiguresAndExitStatus) {
  const Json null = nullptr;
  const Bytes ramp = Ramp(4, 2);
  const Bytes one_off = RampWith(4, 2, 13, 7);  // one byte of one pixel, by 7
  const Bytes narrow = MakeBmp(3, 1, {0, 37, 74, 111, 148, 185, 222, 8, 45});  // Ramp(4, 1) cut
  const Make folder = [](const TempDir& d) {
    ::mkdir((d / "out.bmp").c_str(), 0700);
    WriteFile(d / "ref.bmp", Ramp(2, 2));
  };
  const Make only_ref = [](const TempDir& d) { WriteFile(d / "ref.bmp", Ramp(2, 2)); };
  const Make no_files = [](const TempDir&) {};
  const char* const missing = "out.bmp cannot be opened: No such file or directory";
  const PairCase cases[] = {
      Passes("identical", Pair(ramp, ramp), {0.0, 0, 0, 8}),
      Fails("one channel of one pixel", Pair(one_off, ramp), "above 0 (0–255", {7.0 / 24, 7, 1, 8}),
      Passes("within the threshold", Pair(one_off, ramp), {7.0 / 24, 7, 1, 8}, {"--max", "0.3"}),
      Passes("at the threshold", Pair(RampWith(4, 1, 0, 6), Ramp(4, 1)), {0.5, 6, 1, 4},
             {"--max", "0.5"}),  //
      Fails("off by one along the border", Pair(Bordered(5, 4), Ramp(5, 4)), "0.233333 above 0 (",
            {14.0 / 60, 1, 14, 20}),  //
      Fails("one column narrower", Pair(narrow, Ramp(4, 1)), "sizes differ: output 3x1, reference",
            {0.0, 0, 0, 3}),  //
      Fails("nothing to compare", Pair(MakeHeader(0, 3), MakeHeader(0, 3)), "nothing to compare",
            {null, 0, 0, 0}),  //
      Errs("missing output", only_ref, missing, "cannot_open"),
      Errs("both missing", no_files, "directory; reference", "cannot_open", "cannot_open"),
      Errs("a folder", folder, "is not a regular file", "not_regular_file"),
      Errs("too short", Pair(Bytes(12, 'B')), "is too short to be a BMP file", "too_short"),
      // Top-down and 32-bit files are decoded now; 64 bits a pixel is not.
      Errs("top-down", Pair(MakeBmp(1, 0xFFFFFFFFu, Bytes(8, 0), 64)), "is a top-down", "top_down"),
      Errs("too wide", Pair(MakeBmp(0x80000000u, 1, Bytes(8, 0))), "is wider than", "too_wide"),
      Errs("cut short", Pair(MakeHeader(4, 4)), "holds less pixel data", "pixels_missing"),
      Errs("a damaged PNG named .bmp", Pair(PngNamedBmp()), "is a PNG file that cannot be decoded",
           "cannot_decode"),
      Errs("OS/2", Pair(WithInfoSize(Ramp(2, 2), 12)), "has an OS/2 header", "os2_header"),
      Errs("64 bits", Pair(Ramp(2, 2), MakeBmp(2, 2, Bytes(32, 0), 64)),
           "ref.bmp is a 64-bit image, which is not supported", "ok", "not_24_bit"),  //
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    c.make(dir);
    std::vector<std::string> args = c.options;
    args.push_back("--json");
    args.push_back(dir / "out.bmp");
    args.push_back(dir / "ref.bmp");
    const RunResult r = Check(args);
    EXPECT_EQ(r.exit_status, c.exit_status);
    EXPECT_EQ(r.err, "");
    const Json j = Json::parse(r.out);
    ASSERT_EQ(j["cases"].size(), 1u);
    const Json& k = j["cases"][0];
    EXPECT_EQ(k["name"], "out");
    EXPECT_EQ(k["output"], dir / "out.bmp");
    EXPECT_EQ(k["reference"], dir / "ref.bmp");
    EXPECT_EQ(k["verdict"], c.verdict);
    if (*c.reason == '\0') {
      EXPECT_TRUE(k["reason"].is_null());
    } else {
      EXPECT_NE(k["reason"].get<std::string>().find(c.reason), std::string::npos) << k["reason"];
    }
    if (c.figures.mae.is_null()) {
      EXPECT_TRUE(k["mae"].is_null());
    } else {
      EXPECT_EQ(k["mae"].get<double>(), c.figures.mae.get<double>());
    }
    EXPECT_EQ(k["max_difference"], c.figures.max_difference);
    EXPECT_EQ(k["differing_pixels"], c.figures.differing_pixels);
    EXPECT_EQ(k["compared_pixels"], c.figures.compared_pixels);
    EXPECT_TRUE(k["diff"].is_null());
    EXPECT_EQ(k["output_status"], c.output_status);
    EXPECT_EQ(k["reference_status"], c.reference_status);
    EXPECT_EQ(j["passed"].get<int>() + j["failed"].get<int>() + j["errors"].get<int>(), 1);

    // The table says the same, on one line, and the same exit status.
    args.erase(std::find(args.begin(), args.end(), "--json"));
    const RunResult table = Check(args);
    EXPECT_EQ(table.exit_status, c.exit_status);
    std::istringstream lines(table.out);
    std::string header, name, verdict;
    std::getline(lines, header);
    lines >> name >> verdict;
    EXPECT_EQ(name + " " + verdict, "out " + std::string(c.verdict)) << table.out;
  }
}

TEST(MaeCheck, ReportsTheSystemsReasonForAFileItMayNotOpen) {
  TempDir dir;
  Files(dir, Ramp(2, 2), Ramp(2, 2));
  ::chmod((dir / "out.bmp").c_str(), 0);
  std::vector<std::string> args = {"--json", dir / "out.bmp", dir / "ref.bmp"};
  std::string program = MAE_CHECK_EXE;
  if (::geteuid() == 0) {
    // Root may open any file: run as nobody, for whom it stays closed.
    if (::access("/usr/bin/setpriv", X_OK) != 0) {
      GTEST_SKIP() << "running as root without setpriv to drop privileges";
    }
    args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", MAE_CHECK_EXE});
    program = "/usr/bin/setpriv";
  }
  const RunResult r = bmptest::Run(program, args);
  if (r.exit_status >= 126) {
    GTEST_SKIP() << "nobody may not run the build's mae-check here: " << r.err;
  }
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.out.find("cannot be opened: Permission denied"), std::string::npos) << r.out;
}

// `text` with every "@d" replaced by `dir`.
std::string InDir(std::string text, const std::string& dir) {
  for (std::size_t at = text.find("@d"); at != std::string::npos; at = text.find("@d", at)) {
    text.replace(at, 2, dir);
  }
  return text;
}

TEST(MaeCheck, SaysWhatIsWrongWithTheCommandLineOrTheFoldersInOneLine) {
  TempDir dir;
  WriteFile(dir / "out.bmp", Ramp(2, 2));
  const std::string kTry = "Try 'mae-check --help'.\n";
  const std::string kMax =
      "--max needs a plain number of at least 0 (such as 0.5 or 1e-3), or PATTERN=NUMBER, not '";
  const std::string kOutputs = "; expected the folder of the ten outputs (Blur1.bmp ...)";
  struct Wrong {
    std::vector<std::string> args;
    std::string line;  // after "mae-check: "
    bool usage;        // followed by the --help hint
  };
  const Wrong cases[] = {
      {{"--frobnicate"}, "unknown option '--frobnicate'", true},
      {{"--max"}, "--max needs a value", true},
      {{"--max", "abc"}, kMax + "abc'", true},
      {{"--max", "nan"}, kMax + "nan'", true},
      {{"--max", "inf"}, kMax + "inf'", true},
      {{"--max", "1e400"}, kMax + "1e400'", true},
      {{"--max", "0.5x"}, kMax + "0.5x'", true},
      {{"--max", "0x10"}, kMax + "0x10'", true},
      {{"--max=-1"}, kMax + "-1'", true},
      {{"a", "b", "c"}, "too many operands: give DIR, or OUTPUT REFERENCE", true},
      {{"--report", "", "@d"}, "--report needs a name, not an empty one", true},
      {{"--diff", "", "@d"}, "--diff needs a name, not an empty one", true},
      {{"@d/none"}, "@d/none: No such file or directory" + kOutputs, false},
      {{"@d/a\nb\x1b"}, "@d/a\\nb\\x1b: No such file or directory" + kOutputs, false},
      {{"@d/out.bmp"},
       "@d/out.bmp is a file, not a folder; to check one pair, give OUTPUT and "
       "REFERENCE",
       false},
      {{"@d"},
       "@d has no ANS folder; expected the ten references in @d/ANS (Blur1.bmp ...), or "
       "their folder named with --ans",
       false},
      {{"--ans", "@d/out.bmp", "@d"},
       "--ans @d/out.bmp is a file, not a folder; expected the "
       "folder of the ten references",
       false},
      {{"-x"}, "unknown option '-x'", true},
      {{"--max", "1e"}, kMax + "1e'", true},
      {{"--max-difference", "256", "@d"},
       "--max-difference needs a whole number from 0 to 255, not '256'",
       true},
      {{"--border", "12345678901234567890", "@d"},
       "--border needs a whole number of pixels, not '12345678901234567890'",
       true},
      // 2^64 + 1: read with wrapping, it would be a border of 1.
      {{"--border", "18446744073709551617", "@d"},
       "--border needs a whole number of pixels, not '18446744073709551617'",
       true},
      {{"--points", "1e308", "@d"}, "--points takes at most 1e+06, not '1e308'", true},
      {{"--points", "Blur*=1000001", "@d"},
       "--points takes at most 1e+06, not 'Blur*=1000001'",
       true},
      {{"--max-pixels", "0", "@d"},
       "--max-pixels needs a whole number from 1 to 715827882, not '0'",
       true},
      {{"--max-pixels", "715827883", "@d"},
       "--max-pixels needs a whole number from 1 to 715827882, not '715827883'",
       true},
      {{"--ans", "@d", "@d/out.bmp", "@d/out.bmp"},
       "--ans names the folder of the ten references; a pair gives its REFERENCE itself",
       true},
      {{"--only", "ann", "@d"}, "--only goes with --class ROOT", true},
      {{"--max", "sobel*=1", "@d"},
       "--max pattern 'sobel*' matches no case; the cases are Blur1, Blur2, Blur3, Blur4, "
       "Blur5, Sobel1, Sobel2, Sobel3, Sobel4, Sobel5",
       true},
      {{"--input", "", "@d"}, "--input needs a name, not an empty one", true},
      {{"--input", "@d/none", "@d"}, "--input @d/none: No such file or directory", false},
      {{"--input", "Sobel*=@d", "@d/out.bmp", "@d/out.bmp"},
       "--input @d is not a file; expected the exercise's input picture",
       false},
      {{"--input", "sobel*=@d/out.bmp", "@d"},
       "--input pattern 'sobel*' matches no case; the cases are Blur1, Blur2, Blur3, Blur4, "
       "Blur5, Sobel1, Sobel2, Sobel3, Sobel4, Sobel5",
       true},
      {{"--points", "x*=2", "@d/out.bmp", "@d/out.bmp"},
       "--points pattern 'x*' matches no case; the cases are Blur1, Blur2, Blur3, Blur4, Blur5, "
       "Sobel1, Sobel2, Sobel3, Sobel4, Sobel5, out",
       true},
  };
  for (const Wrong& c : cases) {
    for (const bool json : {false, true}) {
      std::vector<std::string> args;
      if (json) {
        args.push_back("--json");
      }
      for (const std::string& arg : c.args) {
        args.push_back(InDir(arg, dir.path().string()));
      }
      SCOPED_TRACE(testing::PrintToString(args));
      const RunResult r = Check(args);
      EXPECT_EQ(r.exit_status, 2);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err,
                "mae-check: " + InDir(c.line, dir.path().string()) + "\n" + (c.usage ? kTry : ""));
    }
  }
  const RunResult help = Check({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("Usage: mae-check [OPTIONS] [DIR]"), std::string::npos);
  const RunResult version = Check({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, "mae-check " MAE_VERSION "\n");
}

// The shipped sample cases: the whole table, and every MAE exactly what
// the MAE tool prints for the same pair.
TEST(MaeCheck, ChecksTheTenSampleCasesLikeMaeItself) {
  const std::string dir = MAE_EXAMPLES_DIR "/cases";
  const RunResult r = Check({"--max", "0.5", dir});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "");
  const std::string missing = dir + "/Sobel5.bmp";
  EXPECT_EQ(r.out,
            "case    verdict        MAE  max diff  differing pixels  reason\n"
            "Blur1   pass             0         0            0 (0%)\n"
            "Blur2   pass     0.0207292         1       796 (2.07%)\n"
            "Blur3   pass             0         0            0 (0%)\n"
            "Blur4   fail             0         0            0 (0%)  sizes differ: output 239x160, "
            "reference 240x160\n"
            "Blur5   pass             0         0            0 (0%)\n"
            "Sobel1  pass             0         0            0 (0%)\n"
            "Sobel2  pass             0         0            0 (0%)\n"
            "Sobel3  pass             0         0            0 (0%)\n"
            "Sobel4  fail       10.7994       225    36064 (93.92%)  MAE 10.7994 above 0.5 (0–255 "
            "scale); red and blue are swapped\n"
            "Sobel5  error            -         -                 -  output " +
                missing +
                " cannot be opened: No such file or directory\n"
                "7 of 10 cases pass (MAE at most 0.5)\n");

  const Json j = Json::parse(Check({"--json", dir}).out);
  EXPECT_EQ(j["max"], 0.0);
  EXPECT_EQ(j["passed"], 6);
  EXPECT_EQ(j["failed"], 3);
  EXPECT_EQ(j["errors"], 1);
  for (const Json& k : j["cases"]) {
    SCOPED_TRACE(k["name"].get<std::string>());
    const RunResult mae = bmptest::Run(MAE_EXE, {k["output"], k["reference"]});
    const std::string last = mae.out.substr(mae.out.rfind("MAE = "));
    if (k["mae"].is_null()) {
      EXPECT_EQ(last, "MAE = -1\n");
    } else {
      char digits[64];
      std::snprintf(digits, sizeof digits, "MAE = %g\n", k["mae"].get<double>());
      EXPECT_EQ(last, digits);
    }
  }
}

TEST(MaeCheck, NamesTheTenCasesUnderTheFolderGiven) {
  TempDir dir;
  ::mkdir((dir / "ANS").c_str(), 0700);
  const char* names[] = {"Blur1",  "Blur2",  "Blur3",  "Blur4",  "Blur5",
                         "Sobel1", "Sobel2", "Sobel3", "Sobel4", "Sobel5"};
  for (const char* name : names) {
    WriteFile(dir / (std::string(name) + ".bmp"), Ramp(3, 3));
    WriteFile(dir / ("ANS/" + std::string(name) + ".bmp"), Ramp(3, 3));
  }
  const RunResult r = Check({"--json", dir.path().string()});
  EXPECT_EQ(r.exit_status, 0);
  const Json j = Json::parse(r.out);
  ASSERT_EQ(j["cases"].size(), 10u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(j["cases"][i]["name"], names[i]);
    EXPECT_EQ(j["cases"][i]["output"], dir / (std::string(names[i]) + ".bmp"));
    EXPECT_EQ(j["cases"][i]["reference"], dir / ("ANS/" + std::string(names[i]) + ".bmp"));
    EXPECT_EQ(j["cases"][i]["output_size"], Json::array({3, 3}));
  }
  EXPECT_EQ(Check({dir.path().string()}).out.substr(0, 4), "case");

  // With --ans the references come from there, and DIR/ANS is not read.
  ::mkdir((dir / "refs").c_str(), 0700);
  for (const char* name : names) {
    WriteFile(dir / ("refs/" + std::string(name) + ".bmp"), Ramp(3, 3));
    WriteFile(dir / ("ANS/" + std::string(name) + ".bmp"), Ramp(2, 2));
  }
  const Json ans = Json::parse(Check({"--json", "--ans", dir / "refs", dir.path().string()}).out);
  EXPECT_EQ(ans["passed"], 10);
  EXPECT_EQ(ans["cases"][9]["reference"], dir / "refs/Sobel5.bmp");
}

TEST(MaeCheck, DrawsWhereTheImagesDifferTopRowFirst) {
  TempDir dir;
  // 3 x 2 pixels in packed rows. File row 0 is the picture's bottom: its
  // first pixel differs by 1 in blue, the top row's last pixel by 55 in red.
  const Bytes ref = MakeBmp(3, 2,
                            {0, 0, 0, 50, 50, 50, 255, 255, 255,  // bottom row
                             10, 20, 30, 90, 90, 90, 100, 100, 100});
  Bytes out = ref;
  out[54 + 0] = 1;    // blue of the bottom row's first pixel: 0 -> 1
  out[54 + 17] = 45;  // red of the top row's last pixel: 100 -> 45
  Files(dir, out, ref);
  const RunResult r =
      Check({"--json", "--diff", dir / "pictures/new", dir / "out.bmp", dir / "ref.bmp"});
  EXPECT_EQ(r.exit_status, 1);
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["cases"][0]["diff"], dir / "pictures/new/out.png");
  const Decoded png = DecodePng(ReadFile(dir / "pictures/new/out.png"));
  ASSERT_EQ(png.width, 3u);
  ASSERT_EQ(png.height, 2u);
  // Expected, top row first: the reference's grey (half of its brightness
  // on a light grey), or the difference's colour: light yellow for 1, a
  // purplish red for 55.
  using Rgb = std::vector<unsigned char>;
  const Rgb want[2][3] = {{Rgb(3, 139), Rgb(3, 173), Rgb{180, 4, 114}},
                          {Rgb{255, 237, 160}, Rgb(3, 153), Rgb(3, 255)}};
  for (std::uint32_t y = 0; y < 2; ++y) {
    for (std::uint32_t x = 0; x < 3; ++x) {
      const unsigned char* p = &png.rgb[(y * 3 + x) * 3];
      EXPECT_EQ(Rgb(p, p + 3), want[y][x]) << "x " << x << " y " << y;
    }
  }
}

TEST(MaeCheck, SaysWhenAPictureOrReportCannotBeWritten) {
  TempDir dir;
  Files(dir, Ramp(2, 2), Ramp(2, 2));
  WriteFile(dir / "plain", Bytes(1, 0));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // nobody reads it: no wait
  const std::vector<std::vector<std::string>> failing = {
      {"--diff", dir / "plain/sub"},
      {"--report", dir / "fifo"},
      {"--report", dir / "no/such/folder/report.html"},
      {"--report", "/dev/full"},
  };
  for (auto args : failing) {
    SCOPED_TRACE(testing::PrintToString(args));
    args.push_back(dir / "out.bmp");
    args.push_back(dir / "ref.bmp");
    const RunResult r = Check(args);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_NE(r.err.find("mae-check: cannot "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("1 of 1 case passes"), std::string::npos);  // results still shown
  }
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
  const std::string longest = dir / std::string(250, 'r');  // its temporary name is cut
  EXPECT_EQ(Check({"--report", longest, dir / "out.bmp", dir / "ref.bmp"}).exit_status, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(longest));
}

TEST(MaeCheck, WritesAReportThatShowsHostileNamesAsText) {
  TempDir dir;
  const std::string hostile = dir / "<img src=x onerror=alert(1)>.bmp";
  WriteFile(hostile, RampWith(4, 2, 3, 9));
  WriteFile(dir / "ref.bmp", Ramp(4, 2));
  const RunResult r = Check({"--report", dir / "r.html", "--json", hostile, dir / "ref.bmp"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(Json::parse(r.out)["cases"][0]["name"], "<img src=x onerror=alert(1)>");
  const Bytes page = ReadFile(dir / "r.html");
  const std::string html(page.begin(), page.end());
  EXPECT_EQ(html.find("<img src=x"), std::string::npos);
  EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  // One script, the report's own; none from the name.
  EXPECT_EQ(html.find("<script"), html.rfind("<script"));
  EXPECT_EQ(html.find("http"), std::string::npos);  // nothing outside the file
  EXPECT_NE(html.find("src=\"data:image/png;base64,"), std::string::npos);
  // No clock in it: the same files give the same bytes.
  Check({"--report", dir / "r2.html", hostile, dir / "ref.bmp"});
  EXPECT_EQ(ReadFile(dir / "r2.html"), page);
}

TEST(MaeCheck, SaysWhenTheFilesLayTheirRowsOutDifferently) {
  TempDir dir;
  const Bytes pixels = bmptest::MakePixels(5, 2, [](std::size_t i) { return i; });
  Files(dir, MakeBmp(5, 2, pixels), bmptest::MakePaddedBmp(5, 2, pixels));
  const RunResult r = Check({"--json", dir / "out.bmp", dir / "ref.bmp"});
  EXPECT_EQ(r.exit_status, 0);
  const Json k = Json::parse(r.out)["cases"][0];
  EXPECT_EQ(k["output_layout"], "packed");
  EXPECT_EQ(k["reference_layout"], "padded");
  EXPECT_EQ(k["note"], "output rows packed, reference rows padded");
  const std::string table = Check({dir / "out.bmp", dir / "ref.bmp"}).out;
  EXPECT_NE(table.find("0 (0%)  output rows packed, reference rows padded\n"), std::string::npos);
  // A standard file whose writer counted its rows without their padding:
  // read as the padded rows it holds, and said so.
  Bytes unpadded_field = bmptest::MakePaddedBmp(5, 2, pixels);
  bmptest::PutLe(unpadded_field, 2, 54 + 5 * 3 * 2, 4);
  WriteFile(dir / "field.bmp", unpadded_field);
  const Json field = Json::parse(Check({"--json", dir / "field.bmp", dir / "out.bmp"}).out);
  EXPECT_EQ(field["cases"][0]["mae"], 0.0);
  EXPECT_EQ(field["cases"][0]["note"],
            "output rows padded, reference rows packed; output file-size field counts unpadded "
            "rows");
  EXPECT_EQ(bmptest::Run(MAE_EXE, {dir / "field.bmp", dir / "out.bmp"}).out, "MAE = 0\n");
  const Json swapped = Json::parse(Check({"--json", dir / "ref.bmp", dir / "out.bmp"}).out);
  EXPECT_EQ(swapped["cases"][0]["note"], "output rows padded, reference rows packed");
  // A file compared with itself: a fair question, and a note says so.
  const Json itself = Json::parse(Check({"--json", dir / "ref.bmp", dir / "ref.bmp"}).out);
  EXPECT_EQ(itself["cases"][0]["verdict"], "pass");
  EXPECT_EQ(itself["cases"][0]["note"], "output is the reference itself");
  Files(dir, Ramp(4, 2), Ramp(4, 2));
  const Json same = Json::parse(Check({"--json", dir / "out.bmp", dir / "ref.bmp"}).out);
  EXPECT_EQ(same["cases"][0]["output_layout"], "either");
  EXPECT_TRUE(same["cases"][0]["note"].is_null());
}

TEST(MaeCheck, PrintsTheDigitsItTakesToTellAnMaeFromTheThreshold) {
  TempDir dir;
  Files(dir, MakeBmp(1, 1, {0, 0, 0}), MakeBmp(1, 1, {1, 0, 0}));  // MAE 1/3
  const std::string pair[] = {dir / "out.bmp", dir / "ref.bmp"};
  const std::string fail = Check({"--max", "0.333333", pair[0], pair[1]}).out;
  EXPECT_NE(fail.find("fail     0.3333333  "), std::string::npos) << fail;
  EXPECT_NE(fail.find("MAE 0.3333333 above 0.333333 (0–255 scale)"), std::string::npos) << fail;
  EXPECT_NE(fail.find("(MAE at most 0.333333)"), std::string::npos) << fail;
  const std::string pass = Check({"--max", "0.3333334", pair[0], pair[1]}).out;
  EXPECT_NE(pass.find("pass     0.3333333  "), std::string::npos) << pass;
  EXPECT_NE(pass.find("(MAE at most 0.3333334)"), std::string::npos) << pass;
  // The default threshold is told apart from the MAEs held to it only: a
  // case held to a pattern's threshold leaves it at six digits.
  const std::string held = Check({"--max", "0.3333333333", "--max", "out=1", pair[0], pair[1]}).out;
  EXPECT_NE(held.find("(MAE at most 0.333333, per-case thresholds)"), std::string::npos) << held;
  const std::string framed =
      Check({"--border", "0", "--max-difference", "3", pair[0], pair[1]}).out;
  EXPECT_NE(framed.find("(MAE at most 0, largest difference at most 3)"), std::string::npos);
  WriteFile(dir / "wide.bmp", Ramp(5, 5));
  const std::string border = Check({"--border", "2", dir / "wide.bmp", dir / "wide.bmp"}).out;
  EXPECT_NE(border.find("(MAE at most 0, border 2 left out)"), std::string::npos) << border;
  // One pixel in 10000 differs: exactly 0.01%, not "<0.01%".
  WriteFile(dir / "big.bmp", Ramp(100, 100));
  WriteFile(dir / "big_off.bmp", RampWith(100, 100, 0, 1));
  const std::string tiny = Check({dir / "big_off.bmp", dir / "big.bmp"}).out;
  EXPECT_NE(tiny.find(" 1 (0.01%)"), std::string::npos) << tiny;
}

TEST(MaeCheck, ShowsEveryCaseOnOneLineWithColumnsAlignedByCharacters) {
  TempDir dir;
  const std::string output = dir / "ééééé\n\t\x1b\\\xff.bmp";
  WriteFile(output, Ramp(2, 2));
  WriteFile(dir / "ref.bmp", Ramp(2, 2));
  const std::string shown = "ééééé\\n\\t\\x1b\\\\\\xff";
  const RunResult r = Check({output, dir / "ref.bmp"});
  EXPECT_EQ(r.out.substr(0, r.out.find("reason")),
            "case" + std::string(ShownWidth(shown) - 4 + 2, ' ') +
                "verdict  MAE  max diff  differing pixels  ");
  EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, shown.size() + 8), shown + "  pass  ");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
  EXPECT_EQ(Shown("a\xc2\x85z\xed\xa0\x80"), "a\\xc2\\x85z\\xed\\xa0\\x80");  // C1, a surrogate
  EXPECT_EQ(Shown("a\x7f"), "a\\x7f");                                        // DEL
  EXPECT_EQ(Normalised("a\x7f\xef\xbf\xbe"), "a\x7f\xef\xbf\xbd");            // U+FFFE replaced
}

TEST(MaeCheck, ReplacesAPictureOrReportWholeOrNotAtAll) {
  TempDir dir;
  const Bytes noise =
      MakeBmp(128, 128,
              bmptest::MakePixels(128, 128, [](std::size_t i) { return (i * 2654435761u) >> 13; }));
  Files(dir, noise, Ramp(128, 128));
  WriteFile(dir / "report.html", Bytes{'o', 'l', 'd'});
  ::chmod((dir / "report.html").c_str(), 0640);
  ASSERT_EQ(::symlink("report.html", (dir / "link.html").c_str()), 0);
  // Through the link: the file it names is replaced, with its permissions.
  EXPECT_EQ(Check({"--report", dir / "link.html", dir / "out.bmp", dir / "ref.bmp"}).exit_status,
            1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.html"));
  const Bytes page = ReadFile(dir / "report.html");
  EXPECT_EQ(std::string(page.begin(), page.begin() + 9), "<!DOCTYPE");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "report.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // Over a file-size limit the write fails: the old files stay, no others.
  ::mkdir((dir / "pictures").c_str(), 0700);
  WriteFile(dir / "pictures/out.png", Bytes{'o', 'l', 'd'});
  const auto names = [&dir] {
    std::vector<std::string> all;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
      all.push_back(e.path().filename().string());
    }
    std::sort(all.begin(), all.end());
    return all;
  };
  const std::vector<std::string> before = names();
  struct rlimit old_limit {};
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  struct rlimit small = old_limit;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const RunResult r = Check({"--report", dir / "report.html", "--diff", dir / "pictures",
                             dir / "out.bmp", dir / "ref.bmp"});
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "report.html"), page);
  EXPECT_EQ(ReadFile(dir / "pictures/out.png"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(names(), before);
}

// A rename that fails (over an immutable file) leaves the old file and no
// temporary one, and the run says so.
TEST(MaeCheck, SaysWhenTheFinishedFileCannotTakeThePlaceOfTheOld) {
  TempDir dir;
  Files(dir, Ramp(2, 2), Ramp(2, 2));
  WriteFile(dir / "r.html", Bytes{'o', 'l', 'd'});
  const std::string chattr = "/usr/bin/chattr";
  if (::access(chattr.c_str(), X_OK) != 0 ||
      bmptest::Run(chattr, {"+i", dir / "r.html"}).exit_status != 0) {
    GTEST_SKIP() << "no immutable files here";
  }
  const RunResult r = Check({"--report", dir / "r.html", dir / "out.bmp", dir / "ref.bmp"});
  bmptest::Run(chattr, {"-i", dir / "r.html"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_NE(r.err.find("cannot write " + (dir / "r.html")), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir / "r.html"), (Bytes{'o', 'l', 'd'}));
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    files += e.is_regular_file() ? 1u : 0u;
  }
  EXPECT_EQ(files, 3u);  // out.bmp, ref.bmp, r.html
}

TEST(MaeCheck, PicturesWhatDiffersWhereverTheRowsComeFrom) {
  TempDir dir;
  // An empty common area: nothing to draw, and nothing wrong with that.
  Files(dir, MakeHeader(0, 3), MakeHeader(0, 3));
  for (const char* option : {"--diff", "--report"}) {
    const RunResult r = Check({option, dir / option, dir / "out.bmp", dir / "ref.bmp"});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("nothing to compare"), std::string::npos);
  }
  struct Drawn {
    Bytes out, ref;
    std::uint32_t red_x, red_y;  // the differing pixel (the one in colour), top row first
  };
  const Bytes wide(90000 * 3, 0);
  Bytes wide_off = wide;
  wide_off[89990 * 3 + 1] = 1;
  const Bytes small = bmptest::MakePixels(5, 3, [](std::size_t i) { return i; });
  Bytes small_off = small;
  small_off[2 * 15 + 4 * 3] = 200;  // the last pixel of the last file row
  const Drawn cases[] = {
      {MakeBmp(90000, 1, wide_off), MakeBmp(90000, 1, wide), 89990, 0},
      {bmptest::MakePaddedBmp(5, 3, small_off, 0, false), bmptest::MakePaddedBmp(5, 3, small), 4,
       0},
  };
  for (const Drawn& c : cases) {
    Files(dir, c.out, c.ref);
    EXPECT_EQ(Check({"--diff", dir / "p", dir / "out.bmp", dir / "ref.bmp"}).exit_status, 1);
    const Decoded png = DecodePng(ReadFile(dir / "p/out.png"));
    for (std::size_t i = 0; i < png.rgb.size(); i += 3) {
      const bool marked = i / 3 == std::size_t{c.red_y} * png.width + c.red_x;
      const bool grey = png.rgb[i] == png.rgb[i + 1] && png.rgb[i + 1] == png.rgb[i + 2];
      ASSERT_EQ(!grey, marked) << "pixel " << i / 3;
    }
  }
  // The report's whole pictures are RGB: a pure-blue output shows blue.
  const Bytes blue = MakeBmp(2, 1, {255, 0, 0, 255, 0, 0});
  Files(dir, blue, blue);
  ASSERT_EQ(Check({"--report", dir / "r.html", dir / "out.bmp", dir / "ref.bmp"}).exit_status, 0);
  const Bytes html = ReadFile(dir / "r.html");
  const std::string page(html.begin(), html.end());
  const std::string marker = "data:image/png;base64,";
  const std::size_t start = page.find(marker) + marker.size();
  const std::string base64 = page.substr(start, page.find('"', start) - start);
  Bytes png(base64.size());
  std::size_t length = 0;
  ASSERT_EQ(sodium_base642bin(png.data(), png.size(), base64.c_str(), base64.size(), nullptr,
                              &length, nullptr, sodium_base64_VARIANT_ORIGINAL),
            0);
  png.resize(length);
  EXPECT_EQ(DecodePng(png).rgb, (std::vector<unsigned char>{0, 0, 255, 0, 0, 255}));
}

// Pictures are drawn from rows read through buffers, a chunk of rows at a
// time: a chunk planned for one file's layout must hold the other's rows
// too. One long row in each layout, and a tall pair of 3- and 4-byte rows.
TEST(MaeCheck, PicturesChangeNoFigureWhateverTheTwoLayouts) {
  struct Shape {
    std::uint32_t width, height;
  };
  for (const Shape shape : {Shape{200001, 1}, Shape{1, 200000}}) {
    SCOPED_TRACE(shape.width);
    TempDir dir;
    const Bytes pixels =
        bmptest::MakePixels(shape.width, shape.height, [](std::size_t i) { return i * 7 % 253; });
    Bytes off = pixels;
    off[off.size() - 2] ^= 0x40;
    Files(dir, MakeBmp(shape.width, shape.height, off),
          bmptest::MakePaddedBmp(shape.width, shape.height, pixels));
    const Args pair = {"--json", dir / "out.bmp", dir / "ref.bmp"};
    Json plain = Json::parse(Check(pair).out);
    Args drawn = {"--diff", dir / "d", "--report", dir / "r.html"};
    drawn.insert(drawn.end(), pair.begin(), pair.end());
    const RunResult r = Check(drawn);
    EXPECT_EQ(r.err, "");
    Json pictured = Json::parse(r.out);
    EXPECT_EQ(pictured["cases"][0]["diff"], dir / "d/out.png");
    pictured["cases"][0].erase("diff");
    plain["cases"][0].erase("diff");
    EXPECT_EQ(pictured, plain);
    EXPECT_EQ(plain["cases"][0]["differing_pixels"], 1);
  }
}

// One case's output handed in for another (the wrong kernel size, or
// files swapped), or the input picture itself: Blur2's output is Blur3's
// reference, exactly or but for its first row, or the input picture given
// with --input (as a PNG: any format read).
TEST(MaeCheck, SaysWhenAnOutputIsAnotherCasesReferenceOrTheInput) {
  TempDir dir;
  std::uint32_t seed = 1;
  for (const char* name : bmptest::kCaseNames) {
    const Bytes ref = bmptest::MakeBmp(
        20, 20, bmptest::MakePixels(20, 20, [seed](std::size_t i) { return i * 37 + seed * 11; }));
    WriteFile(dir / ("ANS/" + std::string(name) + ".bmp"), ref);
    WriteFile(dir / (std::string(name) + ".bmp"), ref);
    ++seed;
  }
  const Bytes input = bmptest::MakeBmp(
      20, 20, bmptest::MakePixels(20, 20, [](std::size_t i) { return i * 5 % 251; }));
  WriteFile(dir / "in.bmp", input);
  ASSERT_EQ(bmptest::Run("/usr/bin/env", {"convert", dir / "in.bmp", dir / "in.png"}).exit_status,
            0);
  Bytes near = ReadFile(dir / "ANS/Blur3.bmp");
  near[54] ^= 1;  // the first pixel stored: the bottom row's first byte
  // Seven tenths of the way from Blur2's reference to Blur3's: nearer to
  // Blur3's than to its own, but far from it all the same.
  Bytes between = ReadFile(dir / "ANS/Blur2.bmp");
  const Bytes blur3 = ReadFile(dir / "ANS/Blur3.bmp");
  for (std::size_t i = 54; i < between.size(); ++i) {
    between[i] = static_cast<unsigned char>((3 * between[i] + 7 * blur3[i] + 5) / 10);
  }
  const Json other = {{"code", "matches_other_case"}, {"text", "matches the reference of Blur3"}};
  const Json unfiltered = {{"code", "not_filtered"},
                           {"text", "is the input picture itself, not filtered"}};
  const struct {
    const char* what;
    Bytes blur2;
    std::vector<std::string> options;
    Json diagnosis;
  } rows[] = {
      {"another case's reference", ReadFile(dir / "ANS/Blur3.bmp"), {}, Json::array({other})},
      {"but for one byte of its first row", near, {}, Json::array({other})},
      {"seven tenths of the way to it", between, {}, Json::array()},
      {"the input", input, {"--input", dir / "in.png"}, Json::array({unfiltered})},
      {"the input, for Blur*",
       input,
       {"--input", "Blur*=" + (dir / "in.bmp")},
       Json::array({unfiltered})},
      {"the input, given for Sobel*",
       input,
       {"--input", "Sobel*=" + (dir / "in.bmp")},
       Json::array()},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(dir / "Blur2.bmp", row.blur2);
    Args args = row.options;
    args.insert(args.end(), {"--json", dir.path().string()});
    const Json j = Json::parse(Check(args).out);
    EXPECT_EQ(j["cases"][1]["verdict"], "fail");
    EXPECT_EQ(j["cases"][1].value("diagnosis", Json()), row.diagnosis);
    EXPECT_EQ(j["cases"][2]["verdict"], "pass");
  }
}

}  // namespace
