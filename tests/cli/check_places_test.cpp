// Where mae-check's outputs may go: options that would share a folder or
// write into the class root, a submission or the references are usage
// errors, said before anything is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/case_names.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::TempDir;

// Every file and folder under `dir`, relative to it.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    names.push_back(std::filesystem::relative(entry.path(), dir).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Places, OutputsThatWouldCollideAreUsageErrorsBeforeAnythingIsWritten) {
  TempDir dir;
  for (const char* student : {"alice", "bob"}) {
    for (const char* name : bmptest::kCaseNames) {
      bmptest::WriteFile(dir / ("root/" + std::string(student) + "/" + name + ".bmp"),
                         bmptest::Ramp(4, 3));
      bmptest::WriteFile(dir / ("ANS/" + std::string(name) + ".bmp"), bmptest::Ramp(4, 3));
    }
  }
  const std::vector<std::string> before = Listing(dir / "");
  const std::vector<std::string> in_class = {"--class", "root", "--ans", "ANS"};
  const struct {
    std::vector<std::string> args;
    bool in_class;
    std::string message;  // "" where the run goes ahead
  } rows[] = {
      {{"--reports", "X", "--diff", "X"},
       true,
       "--reports X and --diff X name the same folder; give each its own"},
      {{"--gradescope", "X", "--prairielearn", "./X/"},
       true,
       "--gradescope X and --prairielearn ./X/ name the same folder; give each its own"},
      {{"--reports", "out", "--diff", "out/pictures"},
       true,
       "--diff out/pictures lies inside --reports out; give each its own folder"},
      {{"--csv", "g", "--junit", "g"}, true, "--csv g and --junit g name the same file"},
      {{"--reports", "g", "--csv", "g"}, true, "--reports g and --csv g name the same path"},
      {{"--diff", "root"}, true, "--diff root is the class root"},
      {{"--reports", "root/"}, true, "--reports root/ is the class root"},
      {{"--diff", "root/alice/pictures"},
       true,
       "--diff root/alice/pictures lies inside the submission alice"},
      {{"--csv", "root/bob/grades.csv"},
       true,
       "--csv root/bob/grades.csv lies inside the submission bob"},
      {{"--diff", "ANS/d"}, true, "--diff ANS/d lies in the references' folder ANS"},
      {{"--gradescope", "g.json", "--prairielearn", "g.json", "root/alice"},
       false,
       "--gradescope g.json and --prairielearn g.json name the same file"},
      {{"--diff", "root/alice", "--ans", "ANS", "root/alice"},
       false,
       "--diff root/alice is the folder being checked"},
      {{"--diff", "root/alice/ANS", "root/alice"},
       false,
       "--diff root/alice/ANS lies in the references' folder root/alice/ANS"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = row.in_class ? in_class : std::vector<std::string>{};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const std::string cd = "cd '" + dir / "" + "' && exec \"$0\" \"$@\"";
    std::vector<std::string> shell = {"-c", cd, MAE_CHECK_EXE};
    shell.insert(shell.end(), args.begin(), args.end());
    const bmptest::RunResult r = bmptest::Run("/bin/sh", shell);
    SCOPED_TRACE(row.message);
    EXPECT_EQ(r.exit_status, 2) << r.err;
    EXPECT_EQ(r.err.rfind("mae-check: " + row.message, 0), 0u) << r.err;
    EXPECT_EQ(Listing(dir / ""), before);
  }
  // A new folder of the tool's own inside the class root, or a report and
  // pictures beside a folder's outputs, stay allowed.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--class", "root", "--ans", "ANS", "--reports", "root/_reports"},
        std::vector<std::string>{"--diff", "root/alice/d", "--report", "root/alice/r.html", "--ans",
                                 "ANS", "root/alice"}}) {
    std::vector<std::string> shell = {"-c", "cd '" + dir / "" + "' && exec \"$0\" \"$@\"",
                                      MAE_CHECK_EXE};
    shell.insert(shell.end(), args.begin(), args.end());
    EXPECT_EQ(bmptest::Run("/bin/sh", shell).exit_status, 0) << args[1];
  }
}

}  // namespace
