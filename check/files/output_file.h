// Writing mae-check's output files (pictures, the report) so that a
// failed or interrupted write never leaves a partial file behind.
#ifndef MAE_CHECK_OUTPUT_FILE_H
#define MAE_CHECK_OUTPUT_FILE_H

#include <string>

#include "problem.h"

namespace mae::check {

// Writes `bytes` to `path`. Returns no problem, or why not ("No space left
// on device").
//
// A regular file (or a path that does not exist yet) is written to a
// temporary file in the same folder, then renamed into place, keeping the
// old file's permission bits: a failed write leaves the previous file as it
// was and no temporary file behind, and so does SIGINT, SIGTERM or SIGHUP
// during the write (the temporary file is removed, then the signal takes
// its course). A symbolic link is followed: the file it names is replaced.
// A target that exists and is not a regular file (/dev/stdout, a FIFO, a
// device) is written directly, unless `regular_only` (a file in an output
// folder) makes it an error; a FIFO that nobody reads is an error, never a
// wait. The temporary name stays within 255 bytes however long the
// target's. Not safe to call from two threads at once.
[[nodiscard]] Problem WriteOutputFile(const std::string& path, const std::string& bytes,
                                      bool regular_only = false);

}  // namespace mae::check

#endif  // MAE_CHECK_OUTPUT_FILE_H
