// The usual mistakes of a blur or Sobel program, each made from a picture
// in memory, with the codes and words the diagnosis must give for it:
// shared by the test on a picture made here and the one on a photo
// ImageMagick makes.
#ifndef MAE_TESTS_DIAGNOSIS_PICTURES_H
#define MAE_TESTS_DIAGNOSIS_PICTURES_H

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "diagnosis.h"

namespace diagnosis_pictures {

using U = std::uint32_t;

struct Image {
  std::vector<unsigned char> pixels;  // packed rows, bottom first
  U width = 0;
  U height = 0;
  mae::check::ImageView view() const { return {pixels.data(), width, height}; }
  unsigned char* at(U x, U y) { return &pixels[((height - 1 - y) * std::size_t{width} + x) * 3]; }
  const unsigned char* at(U x, U y) const {  // top row first
    return &pixels[((height - 1 - y) * std::size_t{width} + x) * 3];
  }
};

// A w x h picture: `pixel(x, y, p)` writes the 3 bytes at (x, y) into p.
Image Drawn(U w, U h, const std::function<void(U, U, unsigned char*)>& pixel);

// Each byte k of each pixel (x, y) of `ref` as byte(x, y, k, its value)
// makes it, held within 0-255.
Image EachByte(const Image& ref, const std::function<int(U, U, int, int)>& byte);

// A w x h picture, its pixel at (x, y) the one `ref` holds at
// (from_x(x, y), from_y(x, y)).
Image Moved(const Image& ref, U w, U h, const std::function<U(U, U)>& from_x,
            const std::function<U(U, U)>& from_y);

// How far (x, y) lies from the nearest edge.
U Depth(const Image& image, U x, U y);

// The usual mistakes, each as a picture made from `ref`.
Image SwappedBytes(const Image& ref);
Image Flipped(const Image& ref, bool rows, bool columns);
Image Shifted(const Image& ref, int dx, int dy);  // right and down; edges kept
Image Transposed(const Image& ref, bool stored);  // as seen, or as stored
Image Square(const Image& ref);                   // the top-left square
Image Inside(const Image& ref, U n);              // a border of n left out
Image Blurred(const Image& ref);                  // 3 x 3 box, edges kept
Image Grey(const Image& ref);                     // BT.601 luma
// A red of 255 at every fifth pixel: where a filter's sum passes 255 and
// the right program holds it there; or, `wrapped`, a program that lets it
// wrap round to 30.
Image Saturated(const Image& ref, bool wrapped);
// A Sobel program's magnitudes, twice the picture's bytes (0-510), held at
// 255 (`clamped`) or stored modulo 256.
Image Magnitudes(const Image& ref, bool clamped);
// The outermost pixels at `value`: a Sobel's edge, which saturates on the
// reference and drops where zeros pad the picture.
Image Edged(const Image& ref, int value);
// One byte in `one_in` moved by noise(its value).
Image Noisy(const Image& ref, unsigned one_in, std::mt19937& rng,
            const std::function<int(int)>& noise);
// A byte up or down by 1, staying within 0-255.
int Nudged(int v, std::mt19937& rng);

using Transform = std::function<Image(const Image&)>;

// One mistake: what the diagnosis must say of it (its codes, in order,
// and a piece of the first one's words), the output a program with it
// writes, and the reference that is checked against (null: the picture as
// given); both made from the picture as given.
struct Mistake {
  std::string name;
  std::vector<std::string> codes;
  std::string words;
  Transform output;
  Transform reference = nullptr;
};

// Every mistake; `rng` makes noise, and must outlive them.
std::vector<Mistake> Mistakes(std::mt19937& rng);

// What the diagnosis finds and says of `output` against `reference`, with
// their MAE and largest difference over the rows both hold.
std::vector<mae::check::Diagnosis> Diagnose(const Image& output, const Image& reference);

// Each mistake made from `given`: the diagnosis says its codes, and the
// first one's words hold the piece expected.
void ExpectEveryMistakeSaid(const Image& given);

}  // namespace diagnosis_pictures

#endif  // MAE_TESTS_DIAGNOSIS_PICTURES_H
