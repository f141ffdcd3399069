#include "load_bmp.h"

#include <sys/mman.h>

#include <cstdlib>
#include <limits>

#include "row_reader.h"

namespace mae {

BmpBlock AllocateBlock(std::uint64_t size) {
  // A large block is aligned to 2 MiB and asks the kernel for transparent
  // huge pages: reading into it then faults in one 2 MiB page at a time
  // instead of 512 small ones, which is most of the cost of loading a large
  // image from the page cache.
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size > std::numeric_limits<std::size_t>::max() - kHugePage) {
    return nullptr;
  }
  const auto bytes = static_cast<std::size_t>(size);
  if (bytes < kHugePage) {
    return BmpBlock(static_cast<unsigned char*>(std::malloc(bytes == 0 ? 1 : bytes)));
  }
  void* block = nullptr;
  if (::posix_memalign(&block, kHugePage, bytes) != 0) {
    return nullptr;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(block, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
#endif
  return BmpBlock(static_cast<unsigned char*>(block));
}

LoadedBmp LoadBmp(const char* path) {
  LoadedBmp loaded;
  BmpFile file;
  loaded.file = file.Open(path);
  if (loaded.file.status != BmpStatus::kOk) {
    return loaded;
  }
  BmpBlock block = AllocateBlock(file.header().block_size);
  if (!block) {
    loaded.file.status = BmpStatus::kOutOfMemory;
    return loaded;
  }
  if (file.header().block_size != 0) {
    loaded.file.status = ReadPackedBlock(file, block.get());
    if (loaded.file.status != BmpStatus::kOk) {
      return loaded;
    }
  }
  loaded.pixels = std::move(block);
  return loaded;
}

}  // namespace mae
