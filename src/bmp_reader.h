// BmpReader: loads the pixel block of an uncompressed BMP file and writes a
// pixel block back out as a BMP file.
//
// The reader knows the 54-byte file and information header of the BMP format.
// It takes four fields from it (pixel-block offset at byte 10, width at 18,
// height at 22, bits per pixel at 28) and loads height rows of width x
// (bits per pixel / 8) bytes each, the bytes in file order.
//
// A standard BMP file pads every row to a multiple of 4 bytes; WriteBMP
// writes packed rows, one straight after the other. The header's file-size
// and image-size fields say which the writer meant (bmp_header.h gives the
// rule; when they say neither, the file's size decides), and a file that
// holds less than its layout needs is refused. Either way the block handed
// back holds packed rows, without the padding.
//
// Messages go to standard output, one line per failure; success is silent.
#ifndef MAE_BMP_READER_H
#define MAE_BMP_READER_H

#include <cstdint>
#include <cstdio>

#include "bmp_block.h"

class BmpReader {
 public:
  std::FILE* fp_s = nullptr;          // kept for callers; ReadBMP reads through a descriptor
  std::FILE* fp_t = nullptr;          // file being written; open only inside WriteBMP
  std::uint32_t width = 0;            // width in pixels of the last file read
  std::uint32_t height = 0;           // height in rows of the last file read
  unsigned char* images_s = nullptr;  // copy of the pointer to the last block read
  unsigned char* header = nullptr;    // the shared header template once a read began
  std::uint32_t file_size = 0;        // total size of the last file written
  std::uint32_t offset = 0;           // offset of the pixel block in the last file read
  std::uint16_t bit_count = 0;        // bits per pixel of the last file read
  std::uint16_t bytes_per_pixel = 0;  // bit_count / 8, rounded down

  // Loads the pixel block of the BMP file at `fname_s`.
  //
  // On success returns a newly allocated block of width x height x
  // bytes_per_pixel bytes (non-null even when that is 0), stores the width
  // and height in *out_width and *out_height, and prints nothing. The caller
  // owns the block and releases it with std::free(); the reader keeps only a
  // copy of the pointer in `images_s` and never frees it.
  //
  // On failure prints one line, releases whatever it allocated, closes the
  // file, leaves *out_width and *out_height untouched and returns null:
  //   " Error: PATH not exist."           the file cannot be opened
  //   " Error: PATH is not a regular file."  a directory, FIFO, device...
  //   " Error: PATH is too short to be a BMP file."  fewer than 30 bytes
  //   " Error: PATH has an OS/2 header, which is not supported."
  //   " Error: PATH is a top-down BMP, which is not supported."  height < 0
  //   " Error: PATH is wider than 2147483647 pixels, which is not supported."
  //   " Error: PATH holds less pixel data than its header declares."
  //   " Error: PATH is not a BMP file."    in place of the four lines above
  //                                        for a file that lacks "BM"
  //   "malloc images_s error"              the block cannot be allocated
  //   " Error: PATH could not be read."    an I/O error or a file that shrank
  // The header fields that were read before a failure stay in the reader's
  // fields; the rest keep their previous values.
  unsigned char* ReadBMP(const char* fname_s, std::int32_t* out_width, std::int32_t* out_height);
  // Writes `data` to `fname_t` as a BMP file with the width, height and bit
  // count of the image this reader read last. The header is the shared
  // 54-byte template with its file size, width, height and bit-count (low
  // byte) filled in place, so the pixel block always starts at byte 54,
  // whatever offset the image read had. `width` and `height` must equal that
  // image's dimensions; `data` must hold width x height x bytes_per_pixel
  // bytes in packed rows, as ReadBMP returns them, and stays the caller's.
  // Rows are written as the format lays them out: each padded with zero
  // bytes to a multiple of 4, and the file-size field counts the padding,
  // so every program reads the file. Not safe to run alongside another
  // write, on any reader: they share the template.
  //
  // Returns 0 on success. On failure prints one line and returns -1:
  //   "header fname_t error"  no image has been read with this reader yet
  //   "size fname_t error"    arguments disagree with the image read, data is
  //                           null, or the file (padding included) would
  //                           exceed 4 GiB
  //   "fopen fname_t error"   the file cannot be created
  //   "fwrite fname_t error"  a write or the close failed (the partial file
  //                           is removed)
  std::int32_t WriteBMP(const char* fname_t, std::int32_t width, std::int32_t height,
                        const unsigned char* data);
};

#endif  // MAE_BMP_READER_H
