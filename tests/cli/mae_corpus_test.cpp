// Replays the hostile-file corpus through the executable: every file
// against the reference in both orders. Files with a recorded expectation
// must print exactly it; the fuzzers' findings must print a result line
// and nothing on standard error. Either way the exit status is 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "testkit/run_process.h"

namespace {

namespace fs = std::filesystem;

const fs::path kHostile = fs::path(MAE_DATA_DIR) / "hostile";
const fs::path kFound = fs::path(MAE_DATA_DIR) / "found";

// expected.tsv: name, tab, output with "@" for the path and "\n" escaped.
std::map<std::string, std::string> Expectations() {
  std::map<std::string, std::string> expected;
  std::ifstream in(kHostile / "expected.tsv");
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    std::string text = line.substr(tab + 1);
    for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at)) {
      text.replace(at, 2, "\n");
    }
    expected[line.substr(0, tab)] = text;
  }
  return expected;
}

std::string WithPath(std::string text, const std::string& path) {
  for (std::size_t at = text.find('@'); at != std::string::npos;
       at = text.find('@', at + path.size())) {
    text.replace(at, 1, path);
  }
  return text;
}

// One result line, last, and nothing after it.
bool EndsWithOneResultLine(const std::string& out) {
  const std::size_t result = out.find("MAE = ");
  return result != std::string::npos && out.rfind("MAE = ") == result &&
         (result == 0 || out[result - 1] == '\n') && out.find('\n', result) == out.size() - 1;
}

TEST(Corpus, EveryHostileFilePrintsExactlyItsExpectedLines) {
  const auto expected = Expectations();
  ASSERT_GT(expected.size(), 60u);
  const std::string reference = (kHostile / "reference.bmp").string();
  for (const auto& [name, text] : expected) {
    SCOPED_TRACE(name);
    const std::string path = (kHostile / name).string();
    const bmptest::RunResult r = bmptest::Run(MAE_EXE, {path, reference});
    EXPECT_EQ(r.out, WithPath(text, path));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, 0);
    // The other way round: the same verdict on the file.
    const bmptest::RunResult back = bmptest::Run(MAE_EXE, {reference, path});
    EXPECT_TRUE(EndsWithOneResultLine(back.out)) << back.out;
    EXPECT_EQ(back.out.substr(back.out.rfind("MAE = ")), r.out.substr(r.out.rfind("MAE = ")));
    EXPECT_EQ(back.err, "");
    EXPECT_EQ(back.exit_status, 0);
  }
}

TEST(Corpus, EveryFuzzerFindingIsHandled) {
  const std::string reference = (kHostile / "reference.bmp").string();
  for (const auto& entry : fs::directory_iterator(kFound)) {
    const std::string path = entry.path().string();
    SCOPED_TRACE(path);
    for (const auto& args :
         {std::vector<std::string>{path, reference}, std::vector<std::string>{reference, path},
          std::vector<std::string>{path, path}}) {
      const bmptest::RunResult r = bmptest::Run(MAE_EXE, args);
      EXPECT_TRUE(EndsWithOneResultLine(r.out)) << r.out;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.exit_status, 0);
    }
  }
}

}  // namespace
