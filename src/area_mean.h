// The area two images share and the mean over it.
#ifndef MAE_AREA_MEAN_H
#define MAE_AREA_MEAN_H

#include <cstdint>

namespace mae {

// The area both images cover: the first min(height) rows and, in each, the
// first min(width) pixels. False when it is empty.
bool CommonArea(std::int64_t width_a, std::int64_t height_a, std::int64_t width_b,
                std::int64_t height_b, std::uint64_t* width, std::uint64_t* height);

// sum / count, rounded once; a NaN with its sign bit set for a count of 0.
double Mean(std::uint64_t sum, std::uint64_t count);

}  // namespace mae

#endif  // MAE_AREA_MEAN_H
