// Internal to the reader and the comparison: opening a BMP file and checking
// its header against its size, without loading the pixel block.
#ifndef MAE_BMP_FILE_H
#define MAE_BMP_FILE_H

#include <cstddef>
#include <cstdint>

#include "bmp_reader.h"

// An open BMP file whose header has been checked: `block_size` bytes of
// pixels really are in the file from `reader.offset` on. Closes the file when
// it goes.
class BmpFile {
 public:
  BmpFile() = default;
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;
  ~BmpFile();

  // Opens `path` and checks it as BmpReader::ReadBMP does, storing the
  // header fields into `reader` as they are read. On failure prints
  // ReadBMP's line for it and returns false.
  bool Open(BmpReader& reader, const char* path);

  // Reads `size` bytes from byte `position` of the file into `out`; false
  // on an I/O error or a file that ended early (it shrank since Open).
  bool ReadAt(std::uint64_t position, unsigned char* out, std::size_t size) const;

  // Hands the descriptor over to the caller, who then closes it.
  int Release();

  std::uint64_t block_size() const { return block_size_; }

 private:
  int fd_ = -1;
  std::uint64_t block_size_ = 0;
};

// Prints " Error: PATH WHAT" as one line.
void PrintPathError(const char* path, const char* what);

#endif  // MAE_BMP_FILE_H
