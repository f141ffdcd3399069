#include "bmp_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

#include "bmp_header.h"
#include "load_bmp.h"
#include "status.h"

namespace mae {
namespace {

void PutLe(unsigned char* p, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    p[i] = static_cast<unsigned char>(value >> (8 * i));
  }
}

// Writes `rows` packed rows of `row` bytes, each padded with zero bytes to
// `stride`: gathered into a buffer of whole rows so that a few large writes
// do it, or, for rows longer than the buffer (or no memory for it), each
// row and its padding on their own.
bool WritePaddedRows(std::FILE* file, const unsigned char* data, std::size_t row,
                     std::size_t stride, std::uint32_t rows) {
  constexpr std::size_t kBufferBytes = std::size_t{256} << 10;
  const std::size_t per_write = kBufferBytes / stride;
  std::unique_ptr<unsigned char[]> buffer;
  if (per_write > 0) {
    buffer.reset(new (std::nothrow) unsigned char[per_write * stride]());
  }
  if (!buffer) {
    const unsigned char padding[4] = {};
    for (std::uint32_t r = 0; r < rows; ++r) {
      if (std::fwrite(data + std::size_t{r} * row, 1, row, file) != row ||
          std::fwrite(padding, 1, stride - row, file) != stride - row) {
        return false;
      }
    }
    return true;
  }
  for (std::uint32_t first = 0; first < rows;) {
    const std::size_t n = std::min<std::size_t>(per_write, rows - first);
    for (std::size_t i = 0; i < n; ++i) {
      std::copy_n(data + (first + i) * row, row, buffer.get() + i * stride);
    }
    if (std::fwrite(buffer.get(), 1, n * stride, file) != n * stride) {
      return false;
    }
    first += static_cast<std::uint32_t>(n);
  }
  return true;
}

}  // namespace
}  // namespace mae

// The members below are written with the library's own names.
using namespace mae;

unsigned char* BmpReader::ReadBMP(const char* fname_s, std::int32_t* out_width,
                                  std::int32_t* out_height) {
  // Header for a 24-bit image whose pixel block follows the header; the
  // writer fills in the size, width, height and bit count.
  static unsigned char tmp_header[54] = {
      0x42, 0x4D, 0, 0, 0, 0, 0, 0, 0, 0,  // "BM", file size, reserved
      54,   0,    0, 0,                    // pixel-block offset
      40,   0,    0, 0,                    // information-header size
      0,    0,    0, 0, 0, 0, 0, 0,        // width, height
      1,    0,                             // colour planes
      24,   0,                             // bits per pixel
  };
  fp_s = nullptr;
  images_s = nullptr;
  header = tmp_header;

  LoadedBmp loaded = LoadBmp(fname_s);
  const FileOutcome& file = loaded.file;
  if (file.fields_read) {
    // The fields describe the file even when it is then refused.
    offset = file.header.offset;
    width = file.header.width;
    height = file.header.height;
    bit_count = file.header.bit_count;
    bytes_per_pixel = file.header.bytes_per_pixel;
  }
  if (file.status != BmpStatus::kOk) {
    std::puts(BmpStatusLine(file.status, fname_s).c_str());
    return nullptr;
  }
  if (out_width != nullptr) {
    *out_width = static_cast<std::int32_t>(width);
  }
  if (out_height != nullptr) {
    *out_height = static_cast<std::int32_t>(height);
  }
  images_s = loaded.pixels.release();
  return images_s;
}

std::int32_t BmpReader::WriteBMP(const char* fname_t, std::int32_t width_arg,
                                 std::int32_t height_arg, const unsigned char* data) {
  constexpr std::size_t kHeaderSize = 54;
  fp_t = nullptr;
  if (header == nullptr) {
    std::puts("header fname_t error");
    return -1;
  }
  // Everything is checked before the file is touched, so a refused write
  // leaves whatever was at that path as it was. Rows are written as the
  // format lays them out, padded to a multiple of 4 bytes.
  const std::uint64_t row = std::uint64_t{width} * bytes_per_pixel;
  const std::uint64_t stride = (row + 3) / 4 * 4;
  std::uint64_t block_size = 0;
  std::uint64_t file_block = 0;
  if (width_arg != static_cast<std::int32_t>(width) ||
      height_arg != static_cast<std::int32_t>(height) || !CheckedMul(row, height, &block_size) ||
      !CheckedMul(stride, height, &file_block) ||
      file_block > std::numeric_limits<std::uint32_t>::max() - kHeaderSize ||
      (data == nullptr && block_size != 0)) {
    std::puts("size fname_t error");
    return -1;
  }

  fp_t = std::fopen(fname_t, "wb");
  if (fp_t == nullptr) {
    std::puts("fopen fname_t error");
    return -1;
  }
  std::setvbuf(fp_t, nullptr, _IONBF, 0);  // written from our memory, or our own buffer

  file_size = static_cast<std::uint32_t>(kHeaderSize + file_block);
  PutLe(header + 2, file_size, 4);
  PutLe(header + 18, width, 4);
  PutLe(header + 22, height, 4);
  header[28] = static_cast<unsigned char>(bit_count & 0xFFu);

  bool ok = std::fwrite(header, 1, kHeaderSize, fp_t) == kHeaderSize;
  if (ok && block_size != 0) {
    ok = stride == row
             ? std::fwrite(data, 1, static_cast<std::size_t>(block_size), fp_t) == block_size
             : mae::WritePaddedRows(fp_t, data, static_cast<std::size_t>(row),
                                    static_cast<std::size_t>(stride), height);
  }
  struct stat st {};
  const bool regular = ::fstat(::fileno(fp_t), &st) == 0 && S_ISREG(st.st_mode);
  ok = (std::fclose(fp_t) == 0) && ok;
  fp_t = nullptr;
  if (!ok) {
    // A cut-short image must not pass for a good one. Only a regular file
    // we just wrote is removed; a device such as /dev/full stays.
    if (regular) {
      std::remove(fname_t);
    }
    std::puts("fwrite fname_t error");
    return -1;
  }
  return 0;
}
