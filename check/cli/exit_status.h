// mae-check's exit statuses.
#ifndef MAE_CHECK_EXIT_STATUS_H
#define MAE_CHECK_EXIT_STATUS_H

namespace mae::check {

inline constexpr int kExitAllPass = 0;     // every case passes
inline constexpr int kExitNotAllPass = 1;  // a case fails or has an error
// A usage or setup mistake, or a file that cannot be written.
inline constexpr int kExitTrouble = 2;
// --help or --version printed: nothing was checked.
inline constexpr int kExitShown = 0;

}  // namespace mae::check

#endif  // MAE_CHECK_EXIT_STATUS_H
