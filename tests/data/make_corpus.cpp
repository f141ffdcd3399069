// Writes the hostile-file corpus that the tests replay through the
// executable: damaged, cut-short, oversized and odd BMP headers, each with
// the exact output expected from `MAE FILE reference.bmp`.
//
//   make_corpus FOLDER
//
// writes the files and FOLDER/expected.tsv: one line per file, its name, a
// tab, and the expected standard output with "@" for the file's path and
// "\n" for a line break.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakeHeader;

struct Entry {
  std::string name;
  Bytes bytes;
  std::string expected;
};

const char kWarning[] = " Warning: The size of 2 images is not the same!\\n";
const char kFailed[] = "MAE = -1\\n";
const char kTooWide[] = "is wider than 2147483647 pixels, which is not supported.";
const char kNotBmp[] = "is not a BMP file.";

std::string Error(const char* what) {
  return std::string(" Error: @ ") + what + "\\n";
}

Bytes Truncated(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<Entry> Corpus() {
  // The reference every file is compared with: 4 x 2 pixels, 24 bits.
  const Bytes reference =
      MakeBmp(4, 2, bmptest::MakePixels(4, 2, [](std::size_t i) { return i * 10; }));
  std::vector<Entry> corpus;
  corpus.push_back({"reference.bmp", reference, "MAE = 0\\n"});

  Bytes changed = reference;
  changed[54 + 5] = static_cast<unsigned char>(changed[54 + 5] + 48);  // 48 / 24 bytes
  corpus.push_back({"one_byte_changed.bmp", changed, "MAE = 2\\n"});

  // Every length from an empty file to a whole header without its pixels.
  for (std::size_t length = 0; length <= 54; ++length) {
    char name[32];
    std::snprintf(name, sizeof name, "length_%02zu.bmp", length);
    const char* why = length < 30 ? "is too short to be a BMP file."
                                  : "holds less pixel data than its header declares.";
    corpus.push_back({name, Truncated(reference, length), Error(why) + kFailed});
  }
  corpus.push_back({"pixels_cut_short.bmp", Truncated(reference, reference.size() - 1),
                    Error("holds less pixel data than its header declares.") + kFailed});

  // Headers whose numbers ask for far more than the file holds.
  corpus.push_back({"claims_2p31_by_2p31.bmp", MakeHeader(0x80000000u, 0x80000000u),
                    Error("is a top-down BMP, which is not supported.") + kFailed});
  corpus.push_back({"claims_2p31_by_2p31_minus_1.bmp", MakeHeader(0x80000000u, 0x7FFFFFFFu),
                    Error(kTooWide) + kFailed});
  corpus.push_back({"claims_max_everything.bmp",
                    MakeHeader(0xFFFFFFFFu, 0x7FFFFFFFu, 0xFFFF, 0xFFFFFFFFu),
                    Error(kTooWide) + kFailed});
  // A width of 2^31 would reach callers as a negative width.
  corpus.push_back(
      {"width_2p31.bmp", MakeBmp(0x80000000u, 1, Bytes(24, 0)), Error(kTooWide) + kFailed});
  // 2^30 x 2^29 pixels of 32 bytes: exactly 2^64 bytes, which wraps to 0
  // in 64 bits and would pass for an empty block without the overflow check.
  corpus.push_back({"block_size_wraps_to_0.bmp", MakeHeader(1u << 30, 1u << 29, 256),
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"bit_count_65535.bmp", MakeHeader(1, 1, 65535),
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"bit_count_65535_with_pixels.bmp", MakeBmp(1, 1, Bytes(8191, 1), 65535),
                    Error("is a 65535-bit image, which is not supported.") + kFailed});
  corpus.push_back({"offset_past_end.bmp", MakeHeader(1, 1, 24, 1000),
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"offset_max.bmp", MakeHeader(0, 0, 24, 0xFFFFFFFFu),
                    Error("holds less pixel data than its header declares.") + kFailed});
  // Pixels taken from the header itself: bytes 10-12 of this file are
  // 10, 0, 0 against the reference's first pixel 0, 10, 20.
  corpus.push_back({"offset_inside_header.bmp", MakeHeader(1, 1, 24, 10),
                    std::string(kWarning) + "MAE = 13.3333\\n"});
  corpus.push_back({"top_down.bmp", MakeBmp(4, 0xFFFFFFFEu, Bytes(24, 0)),
                    Error("is a top-down BMP, which is not supported.") + kFailed});

  // Empty images: nothing in common with the reference.
  corpus.push_back({"zero_by_zero.bmp", MakeHeader(0, 0), std::string(kWarning) + "MAE = -nan\\n"});
  corpus.push_back({"zero_by_five.bmp", MakeHeader(0, 5), std::string(kWarning) + "MAE = -nan\\n"});
  // An empty image is refused all the same when its width is out of range.
  corpus.push_back(
      {"width_max_height_zero.bmp", MakeHeader(0xFFFFFFFFu, 0), Error(kTooWide) + kFailed});

  // Other depths load but cannot be compared.
  corpus.push_back({"depth_32.bmp", MakeBmp(4, 2, Bytes(32, 0), 32),
                    Error("is a 32-bit image, which is not supported.") + kFailed});
  corpus.push_back({"depth_8.bmp", MakeBmp(4, 2, Bytes(8, 0), 8),
                    Error("is an 8-bit image, which is not supported.") + kFailed});
  corpus.push_back({"depth_1.bmp", MakeBmp(4, 2, {}, 1),
                    Error("is a 1-bit image, which is not supported.") + kFailed});
  corpus.push_back({"depth_0.bmp", MakeBmp(4, 2, {}, 0),
                    Error("is a 0-bit image, which is not supported.") + kFailed});

  // Not a BMP at all: its bytes at 10, 18, 22 and 28 are taken as the
  // fields, and the text declares far more pixels than it holds.
  const std::string text = "This is a plain text file, not a picture at all.\n";
  corpus.push_back({"plain_text.bmp", Bytes(text.begin(), text.end()), Error(kNotBmp) + kFailed});
  // RLE8 pixels, as ImageMagick writes a grey BMP: refused in those words.
  Bytes rle = MakeBmp(4, 2, {0, 4, 0, 4, 0, 1}, 8);
  bmptest::PutLe(rle, 30, 1, 4);
  corpus.push_back(
      {"rle8.bmp", rle, Error("is RLE-compressed, which is not supported.") + kFailed});
  // Other image formats under a .bmp name: the start of a real PNG file
  // and of a real JPEG (JFIF) file.
  const Bytes png = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49,
                     0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02,
                     0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44,
                     0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x44, 0x60, 0xe2, 0x3f,
                     0x03, 0x00, 0x1d, 0xf0, 0x03, 0xfd, 0xa0, 0x33, 0x09, 0x89, 0x00, 0x00, 0x00,
                     0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  corpus.push_back({"png_named_bmp.bmp", png, Error("is a PNG file, not a BMP file.") + kFailed});
  Bytes jpeg = {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00, 0x01, 0x01,
                0x01, 0x00, 0x48, 0x00, 0x48, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00};
  jpeg.resize(jpeg.size() + 64, 0x10);  // the rest of the quantisation table
  corpus.push_back(
      {"jpeg_named_bmp.bmp", jpeg, Error("is a JPEG file, not a BMP file.") + kFailed});
  // No signature, but a header that makes sense: still read and compared.
  Bytes unsigned_reference = reference;
  unsigned_reference[0] = 'X';
  unsigned_reference[1] = 'X';
  corpus.push_back({"no_signature_but_readable.bmp", unsigned_reference, "MAE = 0\\n"});

  // A standard file with rows padded to 4 bytes (3 pixels: 9 bytes + 3),
  // holding the reference's lower-left 3 x 2 pixels: the padding is skipped.
  Bytes padded = MakeHeader(3, 2, 24, 54, 54 + 24);
  for (std::size_t row = 0; row < 2; ++row) {
    for (std::size_t i = 0; i < 9; ++i) {
      padded.push_back(reference[54 + row * 12 + i]);
    }
    padded.insert(padded.end(), {0xEE, 0xEE, 0xEE});
  }
  corpus.push_back({"padded_rows.bmp", padded, std::string(kWarning) + "MAE = 0\\n"});
  return corpus;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::ofstream expected(folder + "/expected.tsv", std::ios::trunc);
  try {
    for (const Entry& e : Corpus()) {
      bmptest::WriteFile(folder + "/" + e.name, e.bytes);
      expected << e.name << '\t' << e.expected << '\n';
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return expected ? 0 : 1;
}
