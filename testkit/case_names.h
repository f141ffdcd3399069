// The ten test cases' names, as the tools name them, for tests and
// benchmarks that build case folders.
#ifndef MAE_TESTKIT_CASE_NAMES_H
#define MAE_TESTKIT_CASE_NAMES_H

namespace bmptest {

inline constexpr const char* kCaseNames[] = {"Blur1",  "Blur2",  "Blur3",  "Blur4",  "Blur5",
                                             "Sobel1", "Sobel2", "Sobel3", "Sobel4", "Sobel5"};

}  // namespace bmptest

#endif  // MAE_TESTKIT_CASE_NAMES_H
