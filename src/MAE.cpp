#include "MAE.h"

#include <cstdio>

#include "compare.h"
#include "status.h"

const char* output_name[10] = {
    "Blur1.bmp",  "Blur2.bmp",  "Blur3.bmp",  "Blur4.bmp",  "Blur5.bmp",
    "Sobel1.bmp", "Sobel2.bmp", "Sobel3.bmp", "Sobel4.bmp", "Sobel5.bmp",
};

const char* ans_name[10] = {
    "ANS/Blur1.bmp",  "ANS/Blur2.bmp",  "ANS/Blur3.bmp",  "ANS/Blur4.bmp",  "ANS/Blur5.bmp",
    "ANS/Sobel1.bmp", "ANS/Sobel2.bmp", "ANS/Sobel3.bmp", "ANS/Sobel4.bmp", "ANS/Sobel5.bmp",
};

namespace mae {
namespace {

void PrintStatus(const FileOutcome& file, const char* path) {
  if (file.status != BmpStatus::kOk) {
    std::puts(FileStatusLine(file, path).c_str());
  }
}

}  // namespace
}  // namespace mae

double MAE(const char* path1, const char* path2) {
  using mae::CompareState;
  // Only the sum is asked for: the fast path, with no per-pixel figures.
  const mae::Comparison result = mae::CompareFiles(path1, path2);
  // The lines come in the order in which their causes arose: a refused
  // file is known before the sizes are, a read that fails during the pass
  // only after the size warning.
  switch (result.state) {
    case CompareState::kRefused:
      mae::PrintStatus(result.a, path1);
      mae::PrintStatus(result.b, path2);
      break;
    case CompareState::kFailedWhileComparing:
    case CompareState::kEmptyArea:
    case CompareState::kCompared:
      if (result.sizes_differ()) {
        std::printf(" Warning: The size of 2 images is not the same!\n");
      }
      mae::PrintStatus(result.a, path1);
      mae::PrintStatus(result.b, path2);
      break;
  }
  return result.mae();
}
