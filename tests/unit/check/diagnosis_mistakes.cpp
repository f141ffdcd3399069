// Each mistake as a picture transform, and what must be said of it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "diagnosis_pictures.h"

namespace diagnosis_pictures {

std::vector<Mistake> Mistakes(std::mt19937& rng) {
  // Each pixel's bytes within 1 of each other, as a grey program's
  // rounding may leave them.
  const Transform grey_noise_1 = [&rng](const Image& r) {
    return Noisy(Grey(r), 33, rng, [](int v) { return v < 128 ? v + 1 : v - 1; });
  };
  const Transform grey_noise_both = [&rng](const Image& r) {
    return Noisy(Grey(r), 33, rng, [&rng](int v) { return Nudged(v, rng); });
  };
  const Transform grey_noise_6 = [&rng](const Image& r) {
    return Noisy(Grey(r), 33, rng, [&rng](int v) {
      const int d = static_cast<int>(rng() % 6) + 1;
      return v < 128 ? v + d : v - d;
    });
  };
  const Transform scattered = [&rng](const Image& r) {
    return Noisy(r, 60, rng, [&rng](int) { return static_cast<int>(rng() % 256); });
  };
  const Transform rounded = [&rng](const Image& r) {
    return Noisy(r, 7, rng, [&rng](int v) { return Nudged(v, rng); });
  };
  // The first row black as well: the row a sample of every eighth row
  // starts with.
  const Transform swapped_black_row = [](const Image& r) {
    return EachByte(SwappedBytes(r), [](U, U y, int, int v) { return y == 0 ? 0 : v; });
  };
  // A difference in green that lies within `depth` pixels of the edge, or
  // only at that depth.
  const auto border = [](U depth, bool only_there) -> Transform {
    return [=](const Image& r) {
      return EachByte(r, [&](U x, U y, int k, int v) {
        const U d = Depth(r, x, y);
        return k == 1 && (only_there ? d == depth - 1 : d < depth) ? v ^ 0x40 : v;
      });
    };
  };
  const auto offset = [](int n) -> Transform {
    return [n](const Image& r) { return EachByte(r, [n](U, U, int, int v) { return v + n; }); };
  };
  const auto flipped = [](bool rows, bool columns) -> Transform {
    return [=](const Image& r) { return Flipped(r, rows, columns); };
  };
  const auto shifted = [](int dx, int dy) -> Transform {
    return [=](const Image& r) { return Shifted(r, dx, dy); };
  };
  const auto transposed = [](bool stored) -> Transform {
    return [=](const Image& r) { return Transposed(r, stored); };
  };
  const auto inside = [](U n) -> Transform { return [=](const Image& r) { return Inside(r, n); }; };
  const auto both = [](Transform first, Transform then) -> Transform {
    return [=](const Image& r) { return then(first(r)); };
  };
  const Transform same = [](const Image& r) { return r; };
  const Transform saturated = [](const Image& r) { return Saturated(r, false); };
  const Transform wrapped = [](const Image& r) { return Saturated(r, true); };
  const Transform clamped = [](const Image& r) { return Magnitudes(r, true); };
  const Transform modulo = [](const Image& r) { return Magnitudes(r, false); };
  const Transform edge_high = [](const Image& r) { return Edged(r, 255); };
  const Transform edge_low = [](const Image& r) { return Edged(r, 30); };
  const std::vector<std::string> none;
  return {
      {"channels swapped", {"channels_swapped"}, "red and blue", SwappedBytes},
      {"swapped, black top row", {"channels_swapped"}, "red and blue", swapped_black_row},
      {"upside down", {"flipped_vertically"}, "upside down", flipped(true, false)},
      {"mirrored", {"flipped_horizontally"}, "mirrored", flipped(false, true)},
      {"turned", {"rotated_180"}, "180 degrees", flipped(true, true)},
      {"swapped and upside down",
       {"channels_swapped", "flipped_vertically"},
       "red and blue",
       both(flipped(true, false), SwappedBytes)},
      {"shifted right", {"shifted"}, "shifted right by 1 pixel and down by 0", shifted(1, 0)},
      {"shifted left and up", {"shifted"}, "shifted left by 2 pixels and up by 1", shifted(-2, -1)},
      {"transposed", {"transposed"}, "rows and columns", transposed(false)},
      {"transposed as stored", {"transposed"}, "rows and columns", transposed(true)},
      {"transposed square",
       {"transposed"},
       "rows and columns",
       both(Square, transposed(false)),
       Square},
      {"border 2 deep", {"border_only"}, "within 2 pixels of the edge", border(2, false)},
      {"border 8 deep", {"border_only"}, "within 8 pixels of the edge", border(8, true)},
      // The edge's doing, not values that wrap round.
      {"zero padding", {"border_only"}, "within 1 pixel of the edge", edge_low, edge_high},
      {"border of 1 left out", {"border_left_out"}, "a border of 1 pixel,", inside(1)},
      {"border of 8 left out", {"border_left_out"}, "a border of 8 pixels", inside(8)},
      {"rounding", {"rounding"}, "every difference is 1", rounded},
      {"no clamping", {"no_clamping"}, "wrap round", wrapped, saturated},
      {"wrapped magnitudes", {"no_clamping"}, "wrap round", modulo, clamped},
      {"offset up", {"offset"}, "every value is 80 too high", offset(80)},
      {"offset down", {"offset"}, "every value is 15 too low", offset(-15)},
      {"grey output", {"grey_output"}, "the output is grey", Grey},
      {"grey reference", {"grey_reference"}, "the reference is grey", same, Grey},
      // Never said to be in colour: a difference of 1 is all rounding.
      {"grey, noise of 1", {"rounding"}, "every difference is 1", grey_noise_1, Grey},
      {"grey, noise of -1 and +1", {"rounding"}, "every difference is 1", grey_noise_both, Grey},
      {"grey, noise of 1 to 6", none, "", grey_noise_6, Grey},
      {"identical", none, "", same},
      {"scattered", none, "", scattered},
      {"blurred", none, "", Blurred},
  };
}

void ExpectEveryMistakeSaid(const Image& given) {
  std::mt19937 rng(3);
  for (const Mistake& m : Mistakes(rng)) {
    SCOPED_TRACE(m.name);
    const std::vector<mae::check::Diagnosis> said =
        Diagnose(m.output(given), m.reference ? m.reference(given) : given);
    std::vector<std::string> codes;
    for (const mae::check::Diagnosis& d : said) {
      codes.push_back(d.code);
    }
    EXPECT_EQ(codes, m.codes);
    if (!said.empty()) {
      EXPECT_NE(said[0].text.find(m.words), std::string::npos) << said[0].text;
    }
  }
}

}  // namespace diagnosis_pictures
