#include "row_reader.h"

#include <new>

namespace mae {

bool RowReader::UseBuffer() {
  if (!buffer_) {
    buffer_.reset(new (std::nothrow) unsigned char[kRowChunkBytes]);
  }
  return buffer_ != nullptr;
}

const unsigned char* RowReader::Fetch(const RowChunk& c) {
  const std::uint64_t position = base_ + c.first_row * stride_ + c.start;
  if (!buffer_) {
    return file_.mapped() + position;
  }
  // A chunk planned for another file's layout may span more than this
  // file's rows need; one that would not fit the buffer is refused rather
  // than read past it.
  const std::uint64_t span = Span(c);
  if (span > kRowChunkBytes) {
    return nullptr;
  }
  return file_.ReadAt(position, buffer_.get(), static_cast<std::size_t>(span)) ? buffer_.get()
                                                                               : nullptr;
}

BmpStatus ReadPackedBlock(const BmpFile& file, unsigned char* out) {
  const BmpHeader& h = file.header();
  if (!h.padded()) {
    // One read, straight from the file into the block.
    return file.ReadAt(h.offset, out, static_cast<std::size_t>(h.block_size))
               ? BmpStatus::kOk
               : BmpStatus::kReadError;
  }
  RowReader rows(file, h.offset, h.stride);
  if (!rows.UseBuffer()) {
    return BmpStatus::kOutOfMemory;
  }
  const bool ok = ForEachRowChunk(
      h.row_bytes, h.height, h.stride, rows.limit(), [&rows, &h, out](const RowChunk& c) {
        const unsigned char* in = rows.Fetch(c);
        if (in == nullptr) {
          return false;
        }
        // Rows copied out without their padding.
        for (std::uint64_t i = 0; i < c.rows; ++i) {
          std::copy_n(in + i * h.stride, c.bytes, out + (c.first_row + i) * h.row_bytes + c.start);
        }
        return true;
      });
  return ok ? BmpStatus::kOk : BmpStatus::kReadError;
}

}  // namespace mae
