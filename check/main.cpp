// mae-check: checks image-processing outputs against their reference images
// and says, per case, whether each passes; the entry point and its options.
//
//   mae-check [OPTIONS] [DIR]              the ten test cases under DIR
//   mae-check [OPTIONS] OUTPUT REFERENCE   one pair
//
// Results go to standard output, problems to standard error. Exit status:
// 0 when every case passes, 1 when any fails or has an error, 2 on a usage
// error or when a requested picture or report cannot be written.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cases.h"
#include "html_report.h"
#include "json_report.h"
#include "text_report.h"

namespace {

constexpr int kAllPass = 0;
constexpr int kNotAllPass = 1;
constexpr int kTrouble = 2;

// CLI11 would list the operands as one vector; say the two forms instead.
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: mae-check [OPTIONS] [DIR]\n       mae-check [OPTIONS] OUTPUT REFERENCE\n";
  }
};

// "" when `text` is a finite number of at least 0, else why not.
std::string CheckThreshold(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE ||
      !std::isfinite(value) || value < 0.0) {
    return "--max needs a number of at least 0, not '" + text + "'";
  }
  return {};
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "mae-check: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  struct stat st {};
  const bool regular = ::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_error = errno;
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "mae-check: cannot write %s: %s\n", path.c_str(),
                 std::strerror(written ? errno : write_error));
    // No cut-short picture or report is left behind; a device such as
    // /dev/full is not ours to remove.
    if (regular) {
      std::remove(path.c_str());
    }
    return false;
  }
  return true;
}

// Writes the difference picture of every compared case into `folder`;
// false when the folder or any picture cannot be written.
bool WriteDiffPictures(const std::string& folder, const std::vector<CaseResult>& results,
                       std::vector<std::string>* paths) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "mae-check: cannot create %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return false;
  }
  bool ok = true;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const CaseResult& r = results[i];
    if (r.diff_png.empty()) {
      if (r.comparison.compared && r.comparison.compared_pixels() != 0) {
        std::fprintf(stderr, "mae-check: %s: %s\n", r.c.name.c_str(), r.picture_error.c_str());
        ok = false;
      }
      continue;
    }
    const std::string path = (std::filesystem::path(folder) / (r.c.name + ".png")).string();
    if (WriteWholeFile(path, r.diff_png)) {
      (*paths)[i] = path;
    } else {
      ok = false;
    }
  }
  return ok;
}

int Run(int argc, char** argv) {
  CLI::App app{
      "Checks image-processing outputs against their reference images by the mean absolute\n"
      "error of their bytes (the value MAE prints), with a verdict for every case.\n"
      "With DIR (default .): the ten test cases, DIR/Blur1.bmp against DIR/ANS/Blur1.bmp,\n"
      "... DIR/Sobel5.bmp against DIR/ANS/Sobel5.bmp. With OUTPUT REFERENCE: that pair.",
      "mae-check"};
  app.formatter(std::make_shared<UsageFormatter>());
  app.footer(
      "A case fails when its MAE is above --max, when the sizes differ, or when there is\n"
      "nothing to compare; it has an error when a file cannot be read.\n"
      "Exit status: 0 every case passes, 1 a case fails or has an error, 2 usage error or\n"
      "a picture or report that cannot be written.");
  std::string max_text = "0";
  std::string diff_folder;
  std::string report_file;
  bool json = false;
  std::vector<std::string> operands;
  app.add_option("--max", max_text, "a case passes when its MAE is at most X (default 0)")
      ->type_name("X")
      ->check([](const std::string& text) { return CheckThreshold(text); });
  app.add_option("--diff", diff_folder,
                 "write a difference picture of every compared case, FOLDER/NAME.png "
                 "(the folder is created)")
      ->type_name("FOLDER");
  app.add_option("--report", report_file, "write one self-contained HTML page with every case")
      ->type_name("FILE");
  app.add_flag("--json", json, "print the results as JSON instead of the table");
  app.add_option("operands", operands, "DIR, or OUTPUT REFERENCE")->expected(0, 2);
  app.set_version_flag("--version", "mae-check " MAE_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kAllPass : kTrouble;
  }
  const double max = std::strtod(max_text.c_str(), nullptr);

  const std::vector<Case> cases = operands.size() == 2
                                      ? std::vector<Case>{OnePair(operands[0], operands[1])}
                                      : TenCases(operands.empty() ? "." : operands[0]);
  RunOptions options;
  options.max = max;
  options.diff_pictures = !diff_folder.empty() || !report_file.empty();
  options.whole_pictures = !report_file.empty();
  const std::vector<CaseResult> results = RunCases(cases, options);

  bool trouble = false;
  std::vector<std::string> diff_paths(results.size());
  if (!diff_folder.empty() && !WriteDiffPictures(diff_folder, results, &diff_paths)) {
    trouble = true;
  }
  const std::string text = json ? JsonReport(results, max, diff_paths) : TextReport(results, max);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!report_file.empty() && !WriteWholeFile(report_file, HtmlReport(results, max))) {
    trouble = true;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "mae-check: cannot write the results: %s\n", std::strerror(errno));
    trouble = true;
  }
  if (trouble) {
    return kTrouble;
  }
  for (const CaseResult& r : results) {
    if (r.verdict != Verdict::kPass) {
      return kNotAllPass;
    }
  }
  return kAllPass;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    // Out of memory or a thread that cannot start: said, never a crash.
    std::fprintf(stderr, "mae-check: %s\n", e.what());
    return kTrouble;
  }
}
