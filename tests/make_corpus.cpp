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

#include "support/bmp_file.h"

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
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"claims_max_everything.bmp",
                    MakeHeader(0xFFFFFFFFu, 0x7FFFFFFFu, 0xFFFF, 0xFFFFFFFFu),
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"bit_count_65535.bmp", MakeHeader(1, 1, 65535),
                    Error("holds less pixel data than its header declares.") + kFailed});
  corpus.push_back({"bit_count_65535_with_pixels.bmp", MakeBmp(1, 1, Bytes(8191, 1), 65535),
                    Error("is not a 24-bit image.") + kFailed});
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
  corpus.push_back({"width_max_height_zero.bmp", MakeHeader(0xFFFFFFFFu, 0),
                    std::string(kWarning) + "MAE = -nan\\n"});

  // Other depths load but cannot be compared.
  corpus.push_back(
      {"depth_32.bmp", MakeBmp(4, 2, Bytes(32, 0), 32), Error("is not a 24-bit image.") + kFailed});
  corpus.push_back(
      {"depth_8.bmp", MakeBmp(4, 2, Bytes(8, 0), 8), Error("is not a 24-bit image.") + kFailed});
  corpus.push_back(
      {"depth_1.bmp", MakeBmp(4, 2, {}, 1), Error("is not a 24-bit image.") + kFailed});
  corpus.push_back(
      {"depth_0.bmp", MakeBmp(4, 2, {}, 0), Error("is not a 24-bit image.") + kFailed});

  // Not a BMP at all: its bytes at 10, 18, 22 and 28 are taken as the
  // fields, and the text declares far more pixels than it holds.
  const std::string text = "This is a plain text file, not a picture at all.\n";
  corpus.push_back({"plain_text.bmp", Bytes(text.begin(), text.end()),
                    Error("holds less pixel data than its header declares.") + kFailed});
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
