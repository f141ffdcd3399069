// Arbitrary bytes as a file, read with ReadBMP. When the read succeeds the
// block holds exactly width x height x bytes-per-pixel bytes: the rows in
// the layout the header's size fields declare, or, when they declare
// neither or both, at their padded places when the file holds them there
// (a standard BMP) and packed otherwise, and padded where the fields say
// packed but the file is exactly as long as padded rows; each worked out
// here again in 128-bit arithmetic.
// The allocation is never larger than the file, and a failed read leaves
// the outputs alone.
#include <malloc.h>

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
  __extension__ typedef unsigned __int128 Wide;  // no product here can overflow it
  const Wide row = Wide{reader.width} * reader.bytes_per_pixel;
  const Wide padded_stride = (row + 3) / 4 * 4;
  const Wide h = reader.height;
  const Wide offset = reader.offset;
  const auto field = [data, size](std::size_t at) -> std::uint32_t {
    return at + 4 > size
               ? 0
               : std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 |
                     std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 3]} << 24;
  };
  const std::uint32_t size_field = field(2);
  const std::uint32_t image_size = field(34);
  const auto low32 = [](Wide v) { return static_cast<std::uint32_t>(v & 0xFFFFFFFFu); };
  const bool says_padded = size_field == low32(offset + padded_stride * h) ||
                           (image_size != 0 && image_size == low32(padded_stride * h));
  const bool says_packed =
      size_field == low32(offset + row * h) && (image_size == 0 || image_size == low32(row * h));
  Wide stride = row;
  if (padded_stride > row && says_padded && !says_packed) {
    stride = padded_stride;
  } else if (padded_stride > row && !(says_packed && !says_padded) && h > 0 &&
             offset + padded_stride * (h - 1) + row <= size) {
    stride = padded_stride;
  } else if (padded_stride > row && h > 0 && offset + padded_stride * h == size) {
    stride = padded_stride;  // size fields that left out the padding of a padded file
  }
  if (width < 0 || height < 0 || width != static_cast<std::int32_t>(reader.width) ||
      height != static_cast<std::int32_t>(reader.height) ||
      (h > 0 && offset + stride * (h - 1) + row > size)) {
    std::abort();
  }
  const auto row_bytes = static_cast<std::size_t>(row);
  // Rows of no bytes (bit counts below 8) have nothing to check, however many.
  for (std::size_t r = 0; row_bytes != 0 && r < reader.height; ++r) {
    const auto at = static_cast<std::size_t>(offset + stride * r);
    if (std::memcmp(block.get() + r * row_bytes, data + at, row_bytes) != 0) {
      std::abort();
    }
  }
  // The allocation itself, not just the size asked for: never more than the
  // file holds, beyond the one byte an empty block gets.
  if (::malloc_usable_size(block.get()) > size + 4096) {
    std::abort();
  }
  return 0;
}
