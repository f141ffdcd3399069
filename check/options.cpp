#include "options.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// CLI11 would list the operands as one vector; say the two forms instead.
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: mae-check [OPTIONS] [DIR]\n       mae-check [OPTIONS] OUTPUT REFERENCE\n";
  }
};

// The threshold in `text`, or nothing when it is not a finite number of
// at least 0.
std::optional<double> ParseThreshold(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE ||
      !std::isfinite(value) || value < 0.0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

ParsedOptions ParseOptions(int argc, char** argv) {
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
  CheckOptions o;
  std::string max_text = "0";
  app.add_option("--max", max_text, "a case passes when its MAE is at most X (default 0)")
      ->type_name("X")
      ->check([](const std::string& text) {
        return ParseThreshold(text) ? std::string()
                                    : "--max needs a number of at least 0, not '" + text + "'";
      });
  app.add_option("--diff", o.diff_folder,
                 "write a difference picture of every compared case, FOLDER/NAME.png "
                 "(the folder is created)")
      ->type_name("FOLDER");
  app.add_option("--report", o.report_file, "write one self-contained HTML page with every case")
      ->type_name("FILE");
  app.add_flag("--json", o.json, "print the results as JSON instead of the table");
  app.add_option("operands", o.operands, "DIR, or OUTPUT REFERENCE")->expected(0, 2);
  app.set_version_flag("--version", "mae-check " MAE_VERSION);
  ParsedOptions parsed;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    parsed.exit_status = app.exit(e) == 0 ? 0 : 2;
    return parsed;
  }
  o.max_mae = *ParseThreshold(max_text);
  parsed.options = o;
  return parsed;
}
