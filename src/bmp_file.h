// Access to BMP files: opening a path safely, checking its header, and
// reading its rows. Prints nothing; every failure is a BmpStatus.
#ifndef MAE_BMP_FILE_H
#define MAE_BMP_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "bmp_header.h"
#include "status.h"

// An open BMP file whose header has been checked against its size: every
// row the header declares is in the file. Closes the file when it goes.
class BmpFile {
 public:
  BmpFile() = default;
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;
  ~BmpFile();

  // Opens `path` and checks it: kCannotOpen (open_error() holds errno),
  // kNotRegularFile (refused at once, without waiting on a FIFO),
  // kReadError, or what ParseBmpHeader says. A FIFO or device is never read.
  BmpStatus Open(const char* path);

  // The header, filled in once fields_read() is true (even when Open then
  // refused the file).
  const BmpHeader& header() const { return header_; }
  bool fields_read() const { return fields_read_; }
  int open_error() const { return open_error_; }

  // Reads `size` bytes from byte `position` of the file into `out`; false
  // on an I/O error or a file that ended early (it shrank since Open).
  bool ReadAt(std::uint64_t position, unsigned char* out, std::size_t size) const;

  // Maps the whole file read-only, or returns false when the file system
  // does not allow it. A mapped file that shrinks raises SIGBUS when read
  // past its new end: read mappings inside RunCatchingSigbus.
  bool Map();
  const unsigned char* mapped() const { return mapped_; }
  std::uint64_t size() const { return size_; }

  // Reads the whole pixel block, header().block_size bytes, into `out` in
  // packed rows, whatever the file's layout: kOk, kReadError or
  // kOutOfMemory (the buffer a padded file is read through).
  BmpStatus ReadBlock(unsigned char* out) const;

 private:
  int fd_ = -1;
  int open_error_ = 0;
  std::uint64_t size_ = 0;  // the file's size when it was opened
  const unsigned char* mapped_ = nullptr;
  bool fields_read_ = false;
  BmpHeader header_;
};

// Releases a block from AllocateBlock.
struct FreeBlock {
  void operator()(unsigned char* block) const noexcept { std::free(block); }
};
using OwnedBlock = std::unique_ptr<unsigned char, FreeBlock>;

// A block of `size` bytes (at least one, so that an empty block is still a
// valid pointer) that std::free releases, or null when memory runs out.
unsigned char* AllocateBlock(std::uint64_t size);

// A whole image loaded into memory, or the reason it could not be.
struct LoadedBmp {
  BmpStatus status = BmpStatus::kOk;
  int open_error = 0;        // errno of a failed open
  bool fields_read = false;  // `header` holds the file's fields
  BmpHeader header;
  OwnedBlock pixels;  // header.block_size bytes in packed rows, on kOk
};

LoadedBmp LoadBmp(const char* path);

#endif  // MAE_BMP_FILE_H
