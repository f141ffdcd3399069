// Writing mae-check's output files: pictures and the report.
#ifndef MAE_CHECK_OUTPUT_FILE_H
#define MAE_CHECK_OUTPUT_FILE_H

#include <string>

// Writes `bytes` to `path`. Returns "" on success, else why not ("No space
// left on device"); a regular file cut short by a failed write is removed.
std::string WriteOutputFile(const std::string& path, const std::string& bytes);

#endif  // MAE_CHECK_OUTPUT_FILE_H
