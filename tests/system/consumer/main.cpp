// Reads the first image with BmpReader, prints its size, then the MAE of
// the pair, and names the first test case: what a program of the user's
// would do with the installed library. Built twice: with the headers
// included by their own names, and (MAE_ANGLE_INCLUDES) as <mae/...>.
#include <cstdint>
#include <cstdio>

#ifdef MAE_ANGLE_INCLUDES
#include <mae/MAE.h>
#include <mae/bmp_reader.h>
#else
#include "MAE.h"
#include "bmp_reader.h"
#endif

int main(int argc, char** argv) {
  if (argc != 3) {
    return 2;
  }
  BmpReader reader;
  std::int32_t width = 0;
  std::int32_t height = 0;
  const BmpBlock pixels(reader.ReadBMP(argv[1], &width, &height));
  if (!pixels) {
    return 1;
  }
  std::printf("%d x %d, %u bits\n", width, height, static_cast<unsigned>(reader.bit_count));
  std::printf("MAE = %g\n", MAE(argv[1], argv[2]));
  std::printf("%s -> %s\n", output_name[0], ans_name[0]);
  return 0;
}
