// Access to BMP files: opening a path safely and checking its header
// against the file's size. Prints nothing; every failure is a BmpStatus.
#ifndef MAE_BMP_FILE_H
#define MAE_BMP_FILE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "bmp_header.h"
#include "status.h"

namespace mae {

// What became of one file: filled in by BmpFile::Open, and read by the
// reader, the comparison and mae-check alike.
struct FileOutcome {
  BmpStatus status = BmpStatus::kOk;
  int open_error = 0;        // errno of a failed open (kCannotOpen)
  bool fields_read = false;  // `header` holds the file's fields
  BmpHeader header;          // its layout only when the header was accepted
};

// The line MAE prints for a file it cannot use (status.h's BmpStatusLine,
// told more precisely where the file says more: "is a 32-bit image, which
// is not supported", "is a PNG file, not a BMP file"), and the same words
// as a reason, without the tool's historic wording.
std::string FileStatusLine(const FileOutcome& file, const char* path);
std::string FileStatusReason(const FileOutcome& file);

// An open BMP file whose header has been checked against its size: every
// row the header declares is in the file. Closes the file when it goes.
class BmpFile {
 public:
  BmpFile() = default;
  BmpFile(BmpFile&& other) noexcept;
  BmpFile& operator=(BmpFile&& other) noexcept;
  BmpFile(const BmpFile&) = delete;
  BmpFile& operator=(const BmpFile&) = delete;
  ~BmpFile();

  // Opens `path` and checks it: kCannotOpen (with the errno), kNotRegularFile
  // (refused at once, without waiting on a FIFO), kReadError, or what
  // ParseBmpHeader says. A FIFO or device is never read. Returns outcome().
  const FileOutcome& Open(const char* path);
  // Takes over the open file descriptor `fd` (closed when this goes) and
  // checks it as Open does.
  const FileOutcome& Adopt(int fd);

  const FileOutcome& outcome() const { return outcome_; }
  const BmpHeader& header() const { return outcome_.header; }

  // Reads `size` bytes from byte `position` of the file into `out`; false
  // on an I/O error or a file that ended early (it shrank since Open).
  bool ReadAt(std::uint64_t position, unsigned char* out, std::size_t size) const;

  // Maps the whole file read-only, or returns false when the file system
  // does not allow it. A mapped file that shrinks raises SIGBUS when read
  // past its new end: read mappings inside RunCatchingSigbus.
  bool Map();
  const unsigned char* mapped() const { return mapped_; }
  std::uint64_t size() const { return size_; }
  // True when `address` lies inside the mapping.
  bool Holds(const void* address) const;

 private:
  BmpStatus Check();
  void Close();

  int fd_ = -1;
  std::uint64_t size_ = 0;  // the file's size when it was opened
  const unsigned char* mapped_ = nullptr;
  FileOutcome outcome_;
};

}  // namespace mae

#endif  // MAE_BMP_FILE_H
