// A picture file opened once for everything that reads it: the comparison,
// the closer look, the diagnoses and the pictures all read the one record.
#ifndef MAE_CHECK_OPENED_PICTURE_H
#define MAE_CHECK_OPENED_PICTURE_H

#include <cstdint>
#include <string>

#include "bmp_file.h"
#include "decoded_file.h"
#include "file_kind.h"
#include "image_view.h"

namespace mae::check {

class OpenedPicture {
 public:
  OpenedPicture() = default;
  // Opens `path` once, tells its format from its first bytes and, where it
  // is in another format than a bottom-up 24-bit BMP, decodes it (at most
  // `max_pixels` pixels) into a copy in memory and closes the original.
  // Whatever fails is in the outcome or in decode_error(): this never
  // throws, and a FIFO or device is never read.
  OpenedPicture(const std::string& path, std::uint64_t max_pixels);

  const FileKind& kind() const { return kind_; }
  // Why a file of a format this knows could not be decoded ("" else).
  const std::string& decode_error() const { return decode_error_; }
  // It is read through a decoded copy.
  bool decoded() const { return decoded_; }
  // How the original lays its rows out (kNone for RLE and PNG, whose rows
  // do not lie in place).
  RowLayout layout() const { return decoded_ ? layout_ : file_.header().layout; }

  // What every reader reads: the file itself or its decoded copy, opened
  // and checked. Its outcome is the file's (or the copy's).
  BmpFile& file() { return file_; }
  const BmpFile& file() const { return file_; }
  // Its pixels in place once file() is mapped and is a 24-bit picture;
  // empty (no pixels) else. Read it under the SIGBUS guard.
  ImageView View() const;

 private:
  BmpFile file_;
  FileKind kind_;
  bool decoded_ = false;
  RowLayout layout_ = RowLayout::kNone;
  std::string decode_error_;
};

}  // namespace mae::check

#endif  // MAE_CHECK_OPENED_PICTURE_H
