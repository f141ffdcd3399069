// A pixel block as the library hands it out: one heap run of bytes that its
// owner releases with std::free, held by a unique_ptr that does so.
#ifndef MAE_BMP_BLOCK_H
#define MAE_BMP_BLOCK_H

#include <cstdlib>
#include <memory>

// Releases a pixel block returned by ReadBMP (the same as std::free).
struct BmpBlockFree {
  void operator()(unsigned char* block) const noexcept { std::free(block); }
};
// A pixel block that releases itself: BmpBlock block(reader.ReadBMP(...));
using BmpBlock = std::unique_ptr<unsigned char, BmpBlockFree>;

#endif  // MAE_BMP_BLOCK_H
