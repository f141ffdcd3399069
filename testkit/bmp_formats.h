// One 24-bit picture written in the other formats BMP files come in: top
// down, 32 bits, 16 bits (5-6-5 with bit fields), palettes of 8, 4 and 1
// bits, RLE8 and RLE4, OS/2 headers. Each holds exactly the picture it is
// made from,
// where the picture keeps to what the format holds (16 colours for 4 bits,
// values a 5-6-5 pixel widens to for 16 bits).
#ifndef MAE_TESTKIT_BMP_FORMATS_H
#define MAE_TESTKIT_BMP_FORMATS_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "testkit/bmp_bytes.h"

namespace bmptest {

// A picture: width x height pixels, blue green red, bottom row first.
struct Picture24 {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes bgr;
  const unsigned char* at(std::uint32_t x, std::uint32_t y_bottom_up) const {
    return &bgr[(std::size_t{y_bottom_up} * width + x) * 3];
  }
};

// A header for `bits` a pixel, `compression`, with `palette` entries and
// `extra` bytes (bit-field masks) between the headers and the pixels.
inline Bytes FormatHeader(const Picture24& p, std::int32_t height, std::uint16_t bits,
                          std::uint32_t compression, std::size_t palette, std::size_t extra) {
  Bytes h = MakeHeader(p.width, static_cast<std::uint32_t>(height), bits,
                       static_cast<std::uint32_t>(54 + extra + palette * 4));
  PutLe(h, 30, compression, 4);
  PutLe(h, 46, palette, 4);
  return h;
}

inline void PadRow(Bytes* file, std::size_t row_start) {
  while ((file->size() - row_start) % 4 != 0) {
    file->push_back(0);
  }
}

inline void SetFileSize(Bytes* file) {
  PutLe(*file, 2, file->size(), 4);
}

// Rows stored top row first, under a negative height.
inline Bytes TopDown24(const Picture24& p) {
  Bytes f = FormatHeader(p, -static_cast<std::int32_t>(p.height), 24, 0, 0, 0);
  for (std::uint32_t y = p.height; y-- > 0;) {
    const std::size_t start = f.size();
    f.insert(f.end(), p.at(0, y), p.at(0, y) + std::size_t{p.width} * 3);
    PadRow(&f, start);
  }
  SetFileSize(&f);
  return f;
}

inline Bytes Bmp32(const Picture24& p) {
  Bytes f = FormatHeader(p, static_cast<std::int32_t>(p.height), 32, 0, 0, 0);
  for (std::uint32_t y = 0; y < p.height; ++y) {
    for (std::uint32_t x = 0; x < p.width; ++x) {
      f.insert(f.end(), {p.at(x, y)[0], p.at(x, y)[1], p.at(x, y)[2], 0x80});  // alpha ignored
    }
  }
  SetFileSize(&f);
  return f;
}

// 5-6-5 with bit fields; each byte of the picture must be one that a 5- or
// 6-bit value widens to.
inline Bytes Bmp565(const Picture24& p) {
  Bytes f = FormatHeader(p, static_cast<std::int32_t>(p.height), 16, 3, 0, 12);
  f.resize(66, 0);
  PutLe(f, 54, 0xF800, 4);
  PutLe(f, 58, 0x07E0, 4);
  PutLe(f, 62, 0x001F, 4);
  for (std::uint32_t y = 0; y < p.height; ++y) {
    const std::size_t start = f.size();
    for (std::uint32_t x = 0; x < p.width; ++x) {
      const unsigned char* px = p.at(x, y);
      const unsigned v =
          (unsigned{px[2]} >> 3) << 11 | (unsigned{px[1]} >> 2) << 5 | unsigned{px[0]} >> 3;
      f.insert(f.end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
    }
    PadRow(&f, start);
  }
  SetFileSize(&f);
  return f;
}

// The picture's colours, in order of first appearance, as palette indices.
struct Indexed {
  Bytes palette;  // 4 bytes an entry: blue green red 0
  std::vector<unsigned> index;
};

inline Indexed Index(const Picture24& p) {
  Indexed out;
  std::map<std::uint32_t, unsigned> seen;
  for (std::size_t i = 0; i < p.bgr.size(); i += 3) {
    const std::uint32_t key = std::uint32_t{p.bgr[i]} | std::uint32_t{p.bgr[i + 1]} << 8 |
                              std::uint32_t{p.bgr[i + 2]} << 16;
    auto [it, added] = seen.emplace(key, static_cast<unsigned>(seen.size()));
    if (added) {
      out.palette.insert(out.palette.end(), {p.bgr[i], p.bgr[i + 1], p.bgr[i + 2], 0});
    }
    out.index.push_back(it->second);
  }
  return out;
}

// 8, 4 or 1 bits a pixel with a palette; the picture has at most 2^bits
// colours.
inline Bytes Palette(const Picture24& p, std::uint16_t bits) {
  const Indexed ix = Index(p);
  Bytes f = FormatHeader(p, static_cast<std::int32_t>(p.height), bits, 0, ix.palette.size() / 4, 0);
  f.insert(f.end(), ix.palette.begin(), ix.palette.end());
  const unsigned per_byte = 8u / bits;
  for (std::uint32_t y = 0; y < p.height; ++y) {
    const std::size_t start = f.size();
    for (std::uint32_t x = 0; x < p.width; x += per_byte) {
      unsigned byte = 0;
      for (unsigned k = 0; k < per_byte; ++k) {
        const unsigned i = x + k < p.width ? ix.index[std::size_t{y} * p.width + x + k] : 0;
        byte |= i << (8 - bits * (k + 1));
      }
      f.push_back(static_cast<unsigned char>(byte));
    }
    PadRow(&f, start);
  }
  SetFileSize(&f);
  return f;
}

// RLE8 or RLE4: each row as runs of equal indices (up to 255 a run; RLE4
// runs of one index), an end of row after each, an end of picture last.
inline Bytes Rle(const Picture24& p, bool four) {
  const Indexed ix = Index(p);
  Bytes f = FormatHeader(p, static_cast<std::int32_t>(p.height), four ? 4 : 8, four ? 2 : 1,
                         ix.palette.size() / 4, 0);
  f.insert(f.end(), ix.palette.begin(), ix.palette.end());
  for (std::uint32_t y = 0; y < p.height; ++y) {
    for (std::uint32_t x = 0; x < p.width;) {
      const unsigned i = ix.index[std::size_t{y} * p.width + x];
      unsigned n = 1;
      while (x + n < p.width && n < 255 && ix.index[std::size_t{y} * p.width + x + n] == i) {
        ++n;
      }
      f.insert(f.end(), {static_cast<unsigned char>(n),
                         static_cast<unsigned char>(four ? (i << 4 | i) : i)});
      x += n;
    }
    f.insert(f.end(), {0, 0});
  }
  f.insert(f.end(), {0, 1});
  PutLe(f, 34, f.size() - 54 - ix.palette.size(), 4);
  SetFileSize(&f);
  return f;
}

// RLE8 with each row one absolute run (at least 3 pixels a row): a row of
// odd width is padded to an even count of bytes.
inline Bytes RleAbsolute(const Picture24& p) {
  const Indexed ix = Index(p);
  Bytes f = FormatHeader(p, static_cast<std::int32_t>(p.height), 8, 1, ix.palette.size() / 4, 0);
  f.insert(f.end(), ix.palette.begin(), ix.palette.end());
  for (std::uint32_t y = 0; y < p.height; ++y) {
    f.insert(f.end(), {0, static_cast<unsigned char>(p.width)});
    for (std::uint32_t x = 0; x < p.width; ++x) {
      f.push_back(static_cast<unsigned char>(ix.index[std::size_t{y} * p.width + x]));
    }
    if (p.width % 2 != 0) {
      f.push_back(0);
    }
    f.insert(f.end(), {0, 0});
  }
  f.insert(f.end(), {0, 1});
  SetFileSize(&f);
  return f;
}

// An OS/2 file of 8, 4, 1 or 24 bits a pixel. `info` 12: the OS/2 1.x
// header (16-bit width and height, 3-byte palette entries); 16 to 39: an
// OS/2 2.x header cut after its first fields (4-byte entries, all 2^bits of
// them, as the header cannot say fewer).
inline Bytes Os2(const Picture24& p, std::uint16_t bits, std::uint32_t info) {
  const Indexed ix = Index(p);
  const std::size_t entry = info == 12 ? 3 : 4;
  const std::size_t entries = bits == 24 ? 0 : std::size_t{1} << bits;
  Bytes f(14 + info, 0);
  f[0] = 'B';
  f[1] = 'M';
  PutLe(f, 10, 14 + info + entries * entry, 4);
  PutLe(f, 14, info, 4);
  PutLe(f, 18, p.width, info == 12 ? 2 : 4);
  PutLe(f, info == 12 ? 20 : 22, p.height, info == 12 ? 2 : 4);
  PutLe(f, info == 12 ? 22 : 26, 1, 2);
  PutLe(f, info == 12 ? 24 : 28, bits, 2);
  for (std::size_t i = 0; i < entries; ++i) {
    for (std::size_t k = 0; k < entry; ++k) {
      f.push_back(i * 4 < ix.palette.size() ? ix.palette[i * 4 + k] : 0);
    }
  }
  if (bits == 24) {
    for (std::uint32_t y = 0; y < p.height; ++y) {
      const std::size_t start = f.size();
      f.insert(f.end(), p.at(0, y), p.at(0, y) + std::size_t{p.width} * 3);
      PadRow(&f, start);
    }
  } else {
    Bytes rows = Palette(p, bits);
    f.insert(f.end(), rows.begin() + 54 + static_cast<std::ptrdiff_t>(ix.palette.size()),
             rows.end());
  }
  SetFileSize(&f);
  return f;
}

}  // namespace bmptest

#endif  // MAE_TESTKIT_BMP_FORMATS_H
