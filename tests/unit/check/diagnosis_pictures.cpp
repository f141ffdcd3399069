// The pictures the diagnosis tests make: each mistake as a transform of a
// reference, and the measures a run gives the diagnosis.
#include "diagnosis_pictures.h"

#include <algorithm>
#include <cstdlib>

namespace diagnosis_pictures {

Image Drawn(U w, U h, const std::function<void(U, U, unsigned char*)>& pixel) {
  Image out{std::vector<unsigned char>(std::size_t{w} * h * 3), w, h};
  for (U y = 0; y < h; ++y) {
    for (U x = 0; x < w; ++x) {
      pixel(x, y, out.at(x, y));
    }
  }
  return out;
}

Image EachByte(const Image& ref, const std::function<int(U, U, int, int)>& byte) {
  return Drawn(ref.width, ref.height, [&](U x, U y, unsigned char* p) {
    for (int k = 0; k < 3; ++k) {
      p[k] = static_cast<unsigned char>(std::clamp(byte(x, y, k, ref.at(x, y)[k]), 0, 255));
    }
  });
}

Image Moved(const Image& ref, U w, U h, const std::function<U(U, U)>& from_x,
            const std::function<U(U, U)>& from_y) {
  return Drawn(w, h, [&](U x, U y, unsigned char* p) {
    std::copy_n(ref.at(from_x(x, y), from_y(x, y)), 3, p);
  });
}

U Depth(const Image& image, U x, U y) {
  return std::min({x, y, image.width - 1 - x, image.height - 1 - y});
}

Image SwappedBytes(const Image& ref) {
  return EachByte(ref, [&](U x, U y, int k, int) { return ref.at(x, y)[2 - k]; });
}

Image Flipped(const Image& ref, bool rows, bool columns) {
  return Moved(
      ref, ref.width, ref.height, [&](U x, U) { return columns ? ref.width - 1 - x : x; },
      [&](U, U y) { return rows ? ref.height - 1 - y : y; });
}

Image Shifted(const Image& ref, int dx, int dy) {
  const auto inside = [&](U x, U y) {
    const std::int64_t sx = std::int64_t{x} - dx, sy = std::int64_t{y} - dy;
    return sx >= 0 && sy >= 0 && sx < ref.width && sy < ref.height;
  };
  return Moved(
      ref, ref.width, ref.height, [&](U x, U y) { return inside(x, y) ? U(int(x) - dx) : x; },
      [&](U x, U y) { return inside(x, y) ? U(int(y) - dy) : y; });
}

Image Transposed(const Image& ref, bool stored) {
  // As stored: the output's row y counted from the bottom is the
  // reference's column y, its column x the reference's row x from the
  // bottom.
  const U w = ref.height, h = ref.width;
  return Moved(
      ref, w, h, [&](U, U y) { return stored ? h - 1 - y : y; },
      [&](U x, U) { return stored ? ref.height - 1 - x : x; });
}

Image Square(const Image& ref) {
  const U side = std::min(ref.width, ref.height);
  return Moved(
      ref, side, side, [](U x, U) { return x; }, [](U, U y) { return y; });
}

Image Inside(const Image& ref, U n) {
  return Moved(
      ref, ref.width - 2 * n, ref.height - 2 * n, [n](U x, U) { return x + n; },
      [n](U, U y) { return y + n; });
}

Image Blurred(const Image& ref) {
  return EachByte(ref, [&](U x, U y, int k, int v) {
    if (Depth(ref, x, y) == 0) {
      return v;
    }
    int sum = 0;
    for (U yy = y - 1; yy <= y + 1; ++yy) {
      for (U xx = x - 1; xx <= x + 1; ++xx) {
        sum += ref.at(xx, yy)[k];
      }
    }
    return sum / 9;
  });
}

Image Grey(const Image& ref) {
  return EachByte(ref, [&](U x, U y, int, int) {
    const unsigned char* p = ref.at(x, y);
    return (p[0] * 114 + p[1] * 587 + p[2] * 299) / 1000;
  });
}

Image Saturated(const Image& ref, bool wrapped) {
  return EachByte(ref, [wrapped](U x, U y, int k, int v) {
    return k == 2 && (x + y) % 5 == 0 ? (wrapped ? 30 : 255) : v;
  });
}

Image Magnitudes(const Image& ref, bool clamped) {
  return EachByte(ref, [clamped](U, U, int, int v) { return clamped ? 2 * v : 2 * v % 256; });
}

Image Edged(const Image& ref, int value) {
  return EachByte(ref, [&](U x, U y, int, int v) { return Depth(ref, x, y) == 0 ? value : v; });
}

Image Noisy(const Image& ref, unsigned one_in, std::mt19937& rng,
            const std::function<int(int)>& noise) {
  return EachByte(ref, [&](U, U, int, int v) { return rng() % one_in == 0 ? noise(v) : v; });
}

int Nudged(int v, std::mt19937& rng) {
  return v == 0 ? 1 : v == 255 || rng() % 2 != 0 ? v - 1 : v + 1;
}

std::vector<mae::check::Diagnosis> Diagnose(const Image& output, const Image& reference) {
  const U w = std::min(output.width, reference.width);
  const U h = std::min(output.height, reference.height);
  double sum = 0;
  unsigned largest = 0;
  for (U y = 0; y < h; ++y) {  // bottom rows first: the ones both hold
    for (U x = 0; x < w; ++x) {
      for (std::size_t k = 0; k < 3; ++k) {
        const int d = std::abs(output.pixels[(std::size_t{y} * output.width + x) * 3 + k] -
                               reference.pixels[(std::size_t{y} * reference.width + x) * 3 + k]);
        sum += d;
        largest = std::max(largest, static_cast<unsigned>(d));
      }
    }
  }
  mae::check::Findings findings;
  mae::check::FindMistakes(output.view(), reference.view(), sum / (double(w) * h * 3), largest,
                           &findings);
  return mae::check::Describe(findings);
}

}  // namespace diagnosis_pictures
