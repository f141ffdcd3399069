// What the run's workers are asked to do, resolved from the command line.
#ifndef MAE_CHECK_RUN_OPTIONS_H
#define MAE_CHECK_RUN_OPTIONS_H

#include "check_options.h"
#include "run_cases.h"

namespace mae::check {

// The run options `o` asks for: the rules, and the pictures the outputs
// asked for need.
RunOptions RunOptionsFor(const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_RUN_OPTIONS_H
