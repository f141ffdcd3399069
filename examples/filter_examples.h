// The filters/ sample exercise: point and neighbourhood operations on the
// landscape (grey levels, a 3x3 median, histogram equalisation), their
// references and a student's outputs, with integer arithmetic only.
#ifndef MAE_EXAMPLES_FILTER_EXAMPLES_H
#define MAE_EXAMPLES_FILTER_EXAMPLES_H

#include <string>

#include "testkit/bmp_bytes.h"

namespace examples {

// Writes under `folder`:
//   inputs/landscape.bmp   the exercise's input, `picture` itself
//   ANS/                   the references: gray.png, median.bmp, equalized.bmp
//   student/               a student's outputs: gray.bmp exact, median.bmp
//                          with its border left black, equalized.bmp
//                          rounded down instead of to nearest
// `picture` holds width x height pixels in packed BMP rows (bottom row
// first, blue, green, red); width x 3 must be a multiple of 4.
void WriteFilters(const std::string& folder, const bmptest::Bytes& picture, int width, int height);

}  // namespace examples

#endif  // MAE_EXAMPLES_FILTER_EXAMPLES_H
