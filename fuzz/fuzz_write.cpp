// A file read, written with WriteBMP, then read again: the same block,
// width, height and bit count (of which the file keeps the low byte).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmp_reader.h"
#include "fuzz_entry.h"
#include "mem_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemFile in(data, size);
  BmpReader reader;
  std::int32_t width = 0;
  std::int32_t height = 0;
  BmpBlock block(reader.ReadBMP(in.path(), &width, &height));
  if (!block) {
    return 0;
  }
  const std::uint16_t bit_count = reader.bit_count;
  const std::uint64_t block_size =
      static_cast<std::uint64_t>(reader.width) * reader.height * reader.bytes_per_pixel;

  const MemFile out(nullptr, 0);
  if (reader.WriteBMP(out.path(), width, height, block.get()) != 0) {
    std::abort();  // every block the reader returns fits in a BMP file
  }
  BmpReader again;
  std::int32_t width2 = 0;
  std::int32_t height2 = 0;
  BmpBlock block2(again.ReadBMP(out.path(), &width2, &height2));
  const auto low_bits = static_cast<std::uint16_t>(bit_count & 0xFF);
  if (!block2 || width2 != width || height2 != height || again.bit_count != low_bits ||
      again.offset != 54) {
    std::abort();
  }
  if (bit_count == low_bits && std::memcmp(block.get(), block2.get(), block_size) != 0) {
    std::abort();
  }
  return 0;
}
