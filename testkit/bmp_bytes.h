// BMP files built byte by byte, broken ones included, for the tests, the
// sample-image generator and the benchmarks; and whole files read and
// written.
#ifndef MAE_TESTKIT_BMP_BYTES_H
#define MAE_TESTKIT_BMP_BYTES_H

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace bmptest {

using Bytes = std::vector<unsigned char>;

inline void PutLe(Bytes& bytes, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) {
    bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
  }
}

// A 54-byte BMP header with the given fields; everything else is what a
// standard 24-bit file holds.
inline Bytes MakeHeader(std::uint32_t width, std::uint32_t height, std::uint16_t bit_count = 24,
                        std::uint32_t offset = 54, std::uint32_t file_size = 0) {
  Bytes h(54, 0);
  h[0] = 'B';
  h[1] = 'M';
  PutLe(h, 2, file_size, 4);
  PutLe(h, 10, offset, 4);
  PutLe(h, 14, 40, 4);
  PutLe(h, 18, width, 4);
  PutLe(h, 22, height, 4);
  PutLe(h, 26, 1, 2);
  PutLe(h, 28, bit_count, 2);
  return h;
}

// A complete file: header, then the pixel bytes as given (packed rows).
inline Bytes MakeBmp(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
                     std::uint16_t bit_count = 24) {
  Bytes file =
      MakeHeader(width, height, bit_count, 54, static_cast<std::uint32_t>(54 + pixels.size()));
  file.resize(54 + pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    file[54 + i] = pixels[i];
  }
  return file;
}

// A standard 24-bit file as other programs write it: each row of the packed
// `pixels` padded with `pad` bytes to a multiple of 4. Without
// `last_row_padding` the last row's padding is left out, as some writers do.
inline Bytes MakePaddedBmp(std::uint32_t width, std::uint32_t height, const Bytes& pixels,
                           unsigned char pad = 0, bool last_row_padding = true) {
  const std::size_t row = std::size_t{width} * 3;
  const std::size_t stride = (row + 3) / 4 * 4;
  Bytes file = MakeHeader(width, height);
  for (std::size_t r = 0; r < height; ++r) {
    file.insert(file.end(), pixels.begin() + static_cast<std::ptrdiff_t>(r * row),
                pixels.begin() + static_cast<std::ptrdiff_t>((r + 1) * row));
    if (last_row_padding || r + 1 < height) {
      file.insert(file.end(), stride - row, pad);
    }
  }
  PutLe(file, 2, file.size(), 4);
  return file;
}

// width x height x 3 bytes, each set by fill(index).
template <typename Fill>
Bytes MakePixels(std::size_t width, std::size_t height, Fill fill) {
  Bytes pixels(width * height * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<unsigned char>(fill(i));
  }
  return pixels;
}

// A width x height picture whose bytes run through every value (the byte
// at index i is i x 37 mod 251), so that no two neighbours are equal.
inline Bytes Ramp(std::uint32_t width, std::uint32_t height) {
  return MakeBmp(width, height,
                 MakePixels(width, height, [](std::size_t i) { return i * 37 % 251; }));
}

// The file with its information-header size set to `size`: 12 makes it an
// OS/2 BMP file.
inline Bytes WithInfoSize(Bytes file, std::uint32_t size) {
  PutLe(file, 14, size, 4);
  return file;
}

// Writes the file, creating the folders it is in.
inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  if (path.has_parent_path()) {
    std::filesystem::create_directories(path.parent_path());
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace bmptest

#endif  // MAE_TESTKIT_BMP_BYTES_H
