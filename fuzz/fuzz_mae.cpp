// One input split into two files, compared with MAE: the result is -1, a
// NaN, or a mean from 0 to 255. The first byte chooses where to split.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "MAE.h"
#include "fuzz_entry.h"
#include "mem_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // Splits anywhere, weighted towards the middle where two headers fit.
  const std::size_t rest = size - 1;
  const std::size_t split = rest == 0 ? 0 : (data[0] * rest) / 255;
  const MemFile first(data + 1, split);
  const MemFile second(data + 1 + split, rest - split);
  const double result = MAE(first.path(), second.path());
  if (!(result == -1.0 || std::isnan(result) || (result >= 0.0 && result <= 255.0))) {
    std::abort();
  }
  if (std::isnan(result) && !std::signbit(result)) {
    std::abort();
  }
  return 0;
}
