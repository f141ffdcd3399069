// mae-check's command line, parsed into what a run needs.
#ifndef MAE_CHECK_OPTIONS_H
#define MAE_CHECK_OPTIONS_H

#include <optional>
#include <string>
#include <vector>

struct CheckOptions {
  double max_mae = 0.0;
  std::string diff_folder;                // "" when no pictures are asked for
  std::string report_file;                // "" when no report is asked for
  std::optional<std::string> ans_folder;  // the references, in place of DIR/ANS
  bool json = false;
  std::vector<std::string> operands;  // none, DIR, or OUTPUT REFERENCE
};

// The options, or the exit status when the run ends here: --help and
// --version (0, after printing them), or a usage error (2, after saying
// so on standard error).
struct ParsedOptions {
  std::optional<CheckOptions> options;
  int exit_status = 0;
};

ParsedOptions ParseOptions(int argc, char** argv);

// A plain decimal number of at least 0: an optional '+', digits with at
// most one point ("5", ".5", "5."), an optional exponent ("1e-3", "1E3");
// nothing else (no hexadecimal, inf or nan), and finite.
std::optional<double> ParseThreshold(const std::string& text);

#endif  // MAE_CHECK_OPTIONS_H
