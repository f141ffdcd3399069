// Mean absolute error between two 24-bit BMP images, and the file names of
// the ten test cases (five blurred images, five Sobel edge images) with
// their reference images under "ANS/".
#ifndef MAE_MAE_H
#define MAE_MAE_H

// Output images of the test cases, relative to the working directory.
extern const char* output_name[10];
// Reference image of each test case: entry i belongs to output_name[i].
extern const char* ans_name[10];

// Reads the BMP files at `path1` and `path2` and returns the mean, over every
// byte of every pixel in the area both images cover, of the absolute
// difference of their byte values: 0 for identical images, at most 255.
// Standard files with padded rows and files of packed rows (as
// BmpReader::WriteBMP wrote them before it padded its rows) are both read
// by their rows.
//
// Both files are always read, so each unreadable file reports its own line.
// Prints on standard output, in this order:
//   the reader's error line for each file that cannot be read, with " Error:
//     PATH is a PNG file, not a BMP file." (JPEG, GIF) in place of "is not a
//     BMP file." where the file says so, and " Error: PATH is RLE-compressed,
//     which is not supported." for RLE8 and RLE4 files (then -1.0);
//   " Error: PATH is a 32-bit image, which is not supported." (the file's
//     own bit count) for each image read whose bit count is not 24, or
//     " Error: PATH is not a BMP file." when it also lacks the "BM"
//     signature (then -1.0);
//   " Warning: The size of 2 images is not the same!" when the widths or the
//     heights differ; the lower-left area both cover is compared;
//   " Error: PATH could not be read." when a file fails while it is compared
//     (then -1.0).
// Returns a NaN with its sign bit set when the common area is empty.
// Everything it allocates is released before it returns.
//
// The files are mapped into memory and read in place. A file that shrinks
// while it is read would raise SIGBUS; for the time of the pass a SIGBUS
// handler of MAE's own is installed (the handler that was there is put back
// afterwards, and a SIGBUS that is not from the pass goes to it), so such a
// file gives the "could not be read" line and -1.0. A program that changes
// the SIGBUS handler from another thread while MAE() runs takes that
// protection away for that call.
double MAE(const char* path1, const char* path2);

#endif  // MAE_MAE_H
