// Arbitrary bytes as a file, read with ReadBMP. When the read succeeds the
// block holds exactly width x height x bytes-per-pixel bytes, all of them
// taken from the file at the header's offset, and the allocation is no
// larger than the file.
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bmp_reader.h"
#include "mem_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SilenceStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemFile file(data, size);
  BmpReader reader;
  std::int32_t width = -1;
  std::int32_t height = -1;
  BmpBlock block(reader.ReadBMP(file.path(), &width, &height));
  if (!block) {
    if (width != -1 || height != -1 || reader.fp_s != nullptr || reader.images_s != nullptr) {
      std::abort();  // a failed read must leave the outputs and stream alone
    }
    return 0;
  }
  const std::uint64_t block_size =
      static_cast<std::uint64_t>(reader.width) * reader.height * reader.bytes_per_pixel;
  if (width != static_cast<std::int32_t>(reader.width) ||
      height != static_cast<std::int32_t>(reader.height) || reader.offset > size ||
      block_size > size - reader.offset ||
      std::memcmp(block.get(), data + reader.offset, block_size) != 0) {
    std::abort();
  }
  // The allocation itself, not just the size asked for: never more than the
  // file holds, beyond the one byte an empty block gets.
  if (::malloc_usable_size(block.get()) > size + 4096) {
    std::abort();
  }
  return 0;
}
