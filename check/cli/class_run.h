// mae-check --class: grading every submission under a folder at once.
#ifndef MAE_CHECK_CLASS_RUN_H
#define MAE_CHECK_CLASS_RUN_H

#include "check_options.h"

namespace mae::check {

// Runs the class, prints its table or JSON, writes what was asked for, and
// returns the exit status: 0 when every case of every student passes, 1
// otherwise, 2 for a setup mistake or an output that cannot be written.
int RunClass(const CheckOptions& options);

}  // namespace mae::check

#endif  // MAE_CHECK_CLASS_RUN_H
