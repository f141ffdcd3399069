// mae-check on one folder's ten cases, or on one pair.
#ifndef MAE_CHECK_FOLDER_RUN_H
#define MAE_CHECK_FOLDER_RUN_H

#include "check_options.h"
#include "exit_status.h"

namespace mae::check {

// Runs the cases, prints the table (or JSON, or GitHub Classroom's line),
// writes what was asked for, and returns the exit status.
int RunFolder(const CheckOptions& options);

}  // namespace mae::check

#endif  // MAE_CHECK_FOLDER_RUN_H
