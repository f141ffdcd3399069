// Mean absolute error between two 24-bit BMP images, and the file names of
// the ten test cases (five blurred images, five Sobel edge images) with
// their reference images under "ANS/".
#ifndef MAE_MAE_H
#define MAE_MAE_H

#include <cstddef>
#include <cstdint>

// Output images of the test cases, relative to the working directory.
extern const char* output_name[10];
// Reference image of each test case: entry i belongs to output_name[i].
extern const char* ans_name[10];

// Reads the BMP files at `path1` and `path2` and returns the mean, over every
// byte of every pixel in the area both images cover, of the absolute
// difference of their byte values: 0 for identical images, at most 255.
//
// Both files are always read, so each unreadable file reports its own line.
// Prints on standard output, in this order:
//   the reader's error line for each file that cannot be read (then -1.0);
//   " Error: PATH is not a 24-bit image." for each image read whose bit count
//     is not 24 (then -1.0);
//   " Warning: The size of 2 images is not the same!" when the widths or the
//     heights differ; the lower-left area both cover is compared.
// Returns a NaN with its sign bit set when the common area is empty.
// Everything it allocates is released before it returns.
double MAE(const char* path1, const char* path2);

// The comparison of two loaded 24-bit pixel blocks in packed rows, each
// indexed with its own width: the first min(height) rows and, in each, the
// first min(width) pixels. Prints nothing. Returns a NaN with its sign bit
// set when that area is empty.
double MeanAbsoluteError(const unsigned char* a, std::int32_t width_a, std::int32_t height_a,
                         const unsigned char* b, std::int32_t width_b, std::int32_t height_b);

// Sum of |a[i] - b[i]| over n bytes: the comparison's inner pass.
std::uint64_t SumAbsDiff(const unsigned char* a, const unsigned char* b, std::size_t n);

#endif  // MAE_MAE_H
