#include "options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "shown_text.h"

namespace {

// CLI11 would list the operands as one vector; say the two forms instead.
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: mae-check [OPTIONS] [DIR]\n       mae-check [OPTIONS] OUTPUT REFERENCE\n";
  }
};

std::size_t SkipDigits(const std::string& text, std::size_t i) {
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
    ++i;
  }
  return i;
}

bool IsPlainDecimal(const std::string& text) {
  const std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  std::size_t end = SkipDigits(text, start);
  std::size_t digits = end - start;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fraction = end + 1;
    end = SkipDigits(text, fraction);
    digits += end - fraction;
  }
  if (digits == 0) {
    return false;  // "", "+", "."
  }
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
      ++exponent;
    }
    end = SkipDigits(text, exponent);
    if (end == exponent) {
      return false;
    }
  }
  return end == text.size();
}

ParsedOptions UsageError(const std::string& message) {
  std::fprintf(stderr, "mae-check: %s\nTry 'mae-check --help'.\n", Shown(message).c_str());
  ParsedOptions parsed;
  parsed.exit_status = 2;
  return parsed;
}

// What is wrong with the options CLI11 accepted, in our words; "" if nothing.
std::string Problem(const CheckOptions& o, const std::string& max_text,
                    const std::vector<std::string>& extras) {
  for (const std::string& extra : extras) {
    if (extra.size() > 1 && extra[0] == '-') {
      return "unknown option '" + extra + "'";
    }
  }
  if (!extras.empty() || o.operands.size() > 2) {
    return "too many operands: give DIR, or OUTPUT REFERENCE";
  }
  if (!ParseThreshold(max_text)) {
    return "--max needs a plain number of at least 0 (such as 0.5 or 1e-3), not '" + max_text + "'";
  }
  if (o.ans_folder && o.operands.size() == 2) {
    return "--ans names the folder of the ten references; a pair gives its REFERENCE itself";
  }
  return {};
}

}  // namespace

std::optional<double> ParseThreshold(const std::string& text) {
  if (!IsPlainDecimal(text)) {
    return std::nullopt;
  }
  const double value = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

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
      "Exit status: 0 every case passes, 1 a case fails or has an error, 2 usage error,\n"
      "a folder that is not there, or a picture or report that cannot be written.");
  app.allow_extras();
  CheckOptions o;
  std::string max_text = "0";
  std::string ans;
  app.add_option("--max", max_text, "a case passes when its MAE is at most X (default 0)")
      ->type_name("X");
  app.add_option("--ans", ans, "the folder of the ten references, in place of DIR/ANS")
      ->type_name("FOLDER");
  app.add_option("--diff", o.diff_folder,
                 "write a difference picture of every compared case, FOLDER/NAME.png "
                 "(the folder is created)")
      ->type_name("FOLDER");
  app.add_option("--report", o.report_file, "write one self-contained HTML page with every case")
      ->type_name("FILE");
  app.add_flag("--json", o.json, "print the results as JSON instead of the table");
  app.add_option("operands", o.operands, "DIR, or OUTPUT REFERENCE");
  app.set_version_flag("--version", "mae-check " MAE_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    app.exit(e);  // --help or --version, on standard output
    return {};
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string what = e.what();
    return UsageError(what.substr(0, what.find(':')) + " needs a value");
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }
  for (const auto& [name, value] : {std::pair<const char*, std::string*>{"--diff", &o.diff_folder},
                                    {"--report", &o.report_file},
                                    {"--ans", &ans}}) {
    if (app.count(name) > 0 && value->empty()) {
      return UsageError(std::string(name) + " needs a name, not an empty one");
    }
  }
  if (app.count("--ans") > 0) {
    o.ans_folder = ans;
  }
  const std::string problem = Problem(o, max_text, app.remaining());
  if (!problem.empty()) {
    return UsageError(problem);
  }
  o.max_mae = *ParseThreshold(max_text);
  ParsedOptions parsed;
  parsed.options = o;
  return parsed;
}
