// MAE: prints the mean absolute error of two 24-bit BMP files.
//
//   MAE FIRST.bmp SECOND.bmp
//
// One line on standard output, "MAE = " and the value (-1 when a file cannot
// be read), after any message about the files. Fewer than two operands print
// nothing; further operands are ignored. The exit status is always 0, so
// scripts read the line.
#include <cstdio>

#include "MAE.h"

int main(int argc, char** argv) {
  if (argc >= 3) {
    const double result = MAE(argv[1], argv[2]);
    // %g is the stream's default notation: six significant digits.
    std::printf("MAE = %g\n", result);
    std::fflush(stdout);
  }
  return 0;
}
