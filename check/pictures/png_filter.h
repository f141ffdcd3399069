// PNG row filters: each byte stored as its difference from a prediction
// made of its neighbours (left, above, above-left), so that smooth or
// repeating pictures leave long runs for the compressor.
#ifndef MAE_CHECK_PNG_FILTER_H
#define MAE_CHECK_PNG_FILTER_H

#include <cstddef>

namespace mae::check {

enum class PngFilter : unsigned char { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// The filter for a whole picture of `height` rows of `row` bytes with
// `pixel` bytes a pixel: the one that leaves the most zero bytes in a
// sample of the rows. Photographs and smooth pictures get Paeth or Up,
// sharp drawings on a flat ground (edge pictures) None; one filter for
// every row keeps the runs the compressor finds from row to row.
PngFilter ChooseFilter(const unsigned char* data, std::size_t row, std::size_t height,
                       std::size_t pixel);

// Writes `row` filtered bytes of the row at `in` to `out`; `up` is the row
// above (all zeros above the first row).
void FilterRow(PngFilter filter, const unsigned char* in, const unsigned char* up, std::size_t row,
               std::size_t pixel, unsigned char* out);

}  // namespace mae::check

#endif  // MAE_CHECK_PNG_FILTER_H
