// mae-check --web-page: what the page a course publishes holds (the rules
// as the arguments of every check, the exercise, the visible references
// and the input pictures), and the mistakes said before anything is
// written. The WebAssembly core is a stand-in here (MAE_WEB_CORE);
// tests/system/web_page.sh runs the real one in a browser.
#include <gtest/gtest.h>
#include <sodium.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path kExamples = MAE_EXAMPLES_DIR;

// Runs mae-check with MAE_WEB_CORE naming `core`.
bmptest::RunResult CheckWithCore(const fs::path& core, std::vector<std::string> args) {
  ::setenv("MAE_WEB_CORE", core.c_str(), 1);
  bmptest::RunResult r = bmptest::Run(MAE_CHECK_EXE, std::move(args));
  ::unsetenv("MAE_WEB_CORE");
  return r;
}

std::string Text(const fs::path& path) {
  const bmptest::Bytes bytes = bmptest::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// The page's data, and its embedded files decoded, by name.
struct Page {
  std::string html;
  Json data;
  std::map<std::string, std::string> Files(const char* key) const {
    std::map<std::string, std::string> files;
    for (const auto& [name, text] : data[key].items()) {
      const std::string b64 = text;
      std::string bytes(b64.size(), '\0');
      std::size_t size = 0;
      EXPECT_EQ(sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(),
                                  b64.c_str(), b64.size(), nullptr, &size, nullptr,
                                  sodium_base64_VARIANT_ORIGINAL),
                0);
      files[name] = bytes.substr(0, size);
    }
    return files;
  }
};

Page ReadPage(const fs::path& path) {
  Page page{Text(path), {}};
  const std::string open = "<script type=\"application/json\" id=\"mae-page\">";
  const std::size_t start = page.html.find(open);
  const std::size_t end = page.html.find("</script>", start);
  EXPECT_NE(start, std::string::npos);
  page.data = Json::parse(page.html.substr(start + open.size(), end - start - open.size()));
  return page;
}

struct WebPageTest : ::testing::Test {
  bmptest::TempDir dir;
  fs::path core = dir / "core.js";
  void SetUp() override {
    ASSERT_EQ(sodium_init() >= 0, true);
    std::string script = "var createMaeCheck = function () {};";
    bmptest::WriteFile(core, bmptest::Bytes(script.begin(), script.end()));
  }
};

TEST_F(WebPageTest, MistakesAreSaidAndNothingIsWritten) {
  const fs::path page = dir / "page.html";
  const fs::path bad_core = dir / "bad.js";
  const std::string closing = "var s = '</script>';";
  bmptest::WriteFile(bad_core, bmptest::Bytes(closing.begin(), closing.end()));
  const std::string a = kExamples / "landscape.bmp";
  const std::string root = dir.path();
  const struct {
    fs::path core;
    std::vector<std::string> args;
    const char* says;
  } rows[] = {
      {core, {"--web-page", page, "--class", root, "--ans", root}, "it goes with neither --class"},
      {core, {"--web-page", page, a, a}, "it goes with neither --class, a pair"},
      {core, {"--web-page", page, "--print-exercise"}, "nor --print-exercise"},
      {core, {"--web-page", ""}, "--web-page"},
      {dir / "missing.js", {"--web-page", page}, "needs mae-check's WebAssembly core"},
      {bad_core, {"--web-page", page}, "it cannot go inline"},
  };
  for (const auto& row : rows) {
    const bmptest::RunResult r = CheckWithCore(row.core, row.args);
    EXPECT_EQ(r.exit_status, 2) << row.says;
    EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(page)) << row.says;
  }
}

TEST_F(WebPageTest, TheTenCasesCarryTheRuleOptionsAndEveryReference) {
  const fs::path path = dir / "page.html";
  const bmptest::RunResult r =
      CheckWithCore(core, {"--max", "0.5", "--max", "Sobel*=2", "--points", "3", "--border", "1",
                           "--strict", "--no-diagnosis", "--web-page", path, kExamples / "cases"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const Page page = ReadPage(path);
  EXPECT_EQ(page.data["args"], Json::parse(R"(["--max", "0.5", "--max", "Sobel*=2", "--points",
      "3", "--border", "1", "--strict", "--no-diagnosis"])"));
  EXPECT_TRUE(page.data["exercise"].is_null());
  EXPECT_EQ(page.data["cases"].size(), 10u);
  const auto references = page.Files("references");
  std::size_t in_folder = 0;
  for (const auto& entry : fs::directory_iterator(kExamples / "cases/ANS")) {
    ++in_folder;
    const std::string name = entry.path().filename();
    ASSERT_EQ(references.count(name), 1u) << name;
    EXPECT_EQ(references.at(name), Text(entry.path())) << name;
  }
  EXPECT_EQ(references.size(), in_folder);
  EXPECT_NE(page.html.find("<h1>Check your outputs</h1>"), std::string::npos);
  EXPECT_NE(page.html.find("Checked by mae-check " MAE_VERSION), std::string::npos);
  EXPECT_NE(page.html.find("var createMaeCheck = function () {};"), std::string::npos);
}

// Input pictures of the same name from two folders are both held, under
// names of their own; one that cannot be read is said.
TEST_F(WebPageTest, InputsOfTheSameNameKeepTheirOwnPictures) {
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  fs::copy_file(kExamples / "landscape.bmp", dir / "a/in.bmp");
  fs::copy_file(kExamples / "landscape_blur.bmp", dir / "b/in.bmp");
  const fs::path path = dir / "page.html";
  const bmptest::RunResult r = CheckWithCore(
      core, {"--input", "Blur*=" + dir / "a/in.bmp", "--input", "Sobel*=" + dir / "b/in.bmp",
             "--input", "Sobel5=" + dir / "a/in.bmp", "--web-page", path, kExamples / "cases"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const Page page = ReadPage(path);
  EXPECT_EQ(page.data["args"], Json::parse(R"(["--input", "Blur*=/page/inputs/in.bmp", "--input",
      "Sobel*=/page/inputs/2-in.bmp", "--input", "Sobel5=/page/inputs/in.bmp"])"));
  const auto inputs = page.Files("inputs");
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs.at("in.bmp"), Text(dir / "a/in.bmp"));
  EXPECT_EQ(inputs.at("2-in.bmp"), Text(dir / "b/in.bmp"));

  const bmptest::RunResult missing =
      CheckWithCore(core, {"--input", dir / "none.bmp", "--web-page", dir / "other.html"});
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_NE(missing.err.find("none.bmp cannot be read"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(dir / "other.html"));
}

TEST_F(WebPageTest, AnExerciseEmbedsOnlyItsVisibleReferencesAndItsInputs) {
  const fs::path path = dir / "filters.html";
  const bmptest::RunResult r =
      CheckWithCore(core, {"--exercise", kExamples / "filters/exercise.toml", "--web-page", path});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const Page page = ReadPage(path);
  EXPECT_EQ(page.data["args"],
            Json::parse(R"(["--exercise", "/page/exercise.toml", "--ans", "ANS"])"));
  const auto references = page.Files("references");
  ASSERT_EQ(references.size(), 2u);  // Equalized is hidden
  EXPECT_EQ(references.at("gray.png"), Text(kExamples / "filters/ANS/gray.png"));
  EXPECT_EQ(references.at("median.bmp"), Text(kExamples / "filters/ANS/median.bmp"));
  const auto inputs = page.Files("inputs");
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs.at("landscape.bmp"), Text(kExamples / "filters/inputs/landscape.bmp"));
  const std::string exercise = page.data["exercise"];
  for (const char* line : {"references = 'ANS'\n", "inputs = '/page/inputs'\n",
                           "visibility = 'hidden'\n", "name = 'Equalized'\n"}) {
    EXPECT_NE(exercise.find(line), std::string::npos) << line << exercise;
  }
  EXPECT_NE(page.html.find("<h1>Point and neighbourhood operations</h1>"), std::string::npos);
}

}  // namespace
