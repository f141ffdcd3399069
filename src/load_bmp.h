// A whole image loaded into memory, in packed rows, or the reason it could
// not be: what BmpReader::ReadBMP hands its caller.
#ifndef MAE_LOAD_BMP_H
#define MAE_LOAD_BMP_H

#include <cstdint>

#include "bmp_block.h"
#include "bmp_file.h"

namespace mae {

struct LoadedBmp {
  FileOutcome file;
  BmpBlock pixels;  // file.header.block_size bytes in packed rows, on kOk
};

LoadedBmp LoadBmp(const char* path);

// A block of `size` bytes (at least one, so that an empty block is still a
// valid pointer) that std::free releases, or null when memory runs out.
BmpBlock AllocateBlock(std::uint64_t size);

}  // namespace mae

#endif  // MAE_LOAD_BMP_H
