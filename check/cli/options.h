// Parsing mae-check's command line.
#ifndef MAE_CHECK_OPTIONS_H
#define MAE_CHECK_OPTIONS_H

#include <optional>

#include "check_options.h"
#include "exit_status.h"

namespace mae::check {

// The options, or the exit status when the run ends here: --help and
// --version (kExitShown, after printing them), or a usage error
// (kExitTrouble, after saying so on standard error).
struct ParsedOptions {
  std::optional<CheckOptions> options;
  int exit_status = kExitShown;
};

ParsedOptions ParseOptions(int argc, char** argv);

}  // namespace mae::check

#endif  // MAE_CHECK_OPTIONS_H
