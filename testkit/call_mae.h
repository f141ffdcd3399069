// MAE() called in this process, with what it prints on standard output.
#ifndef MAE_TESTS_SUPPORT_CALL_MAE_H
#define MAE_TESTS_SUPPORT_CALL_MAE_H

#include <gtest/gtest.h>

#include <string>

#include "MAE.h"

namespace bmptest {

struct MaeCall {
  double result;
  std::string out;
};

inline MaeCall CallMae(const std::string& a, const std::string& b) {
  testing::internal::CaptureStdout();
  const double r = MAE(a.c_str(), b.c_str());
  return {r, testing::internal::GetCapturedStdout()};
}

}  // namespace bmptest

#endif  // MAE_TESTS_SUPPORT_CALL_MAE_H
