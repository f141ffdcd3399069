// Per-pixel figures of two runs of 24-bit pixels: the largest byte
// difference, the pixels with at least one differing byte, and the pixels
// with a byte differing by more than a tolerance.
#ifndef MAE_PIXEL_FIGURES_H
#define MAE_PIXEL_FIGURES_H

#include <cstddef>
#include <cstdint>

namespace mae {

struct PixelFigures {
  unsigned max_difference = 0;         // 0-255
  std::uint64_t differing_pixels = 0;  // pixels of 3 bytes with any difference
};

// Adds the figures of `n` bytes (whole pixels of 3 bytes) to *figures, with
// the fastest variant this processor runs.
void AddPixelFigures(const unsigned char* a, const unsigned char* b, std::size_t n,
                     PixelFigures* figures);

// The plain loop, for tests to hold the fast one against.
void AddPixelFiguresScalar(const unsigned char* a, const unsigned char* b, std::size_t n,
                           PixelFigures* figures);

// The pixels among `n` bytes (whole pixels of 3 bytes) whose largest byte
// difference is above `tolerance`, with the fastest variant this processor
// runs. With tolerance 0 these are the differing pixels.
std::uint64_t CountPixelsBeyond(const unsigned char* a, const unsigned char* b, std::size_t n,
                                unsigned tolerance);

// The plain loop, for tests to hold the fast one against.
std::uint64_t CountPixelsBeyondScalar(const unsigned char* a, const unsigned char* b, std::size_t n,
                                      unsigned tolerance);

}  // namespace mae

#endif  // MAE_PIXEL_FIGURES_H
