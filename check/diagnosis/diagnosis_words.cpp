#include <cstdlib>
#include <string>
#include <vector>

#include "diagnosis.h"

namespace {

std::string Shift(int dx, int dy) {
  const auto part = [](int d, const char* plus, const char* minus, bool unit) {
    const int n = std::abs(d);
    return std::string(d < 0 ? minus : plus) + " by " + std::to_string(n) +
           (unit ? (n == 1 ? " pixel" : " pixels") : "");
  };
  return "shifted " + part(dx, "right", "left", true) + " and " + part(dy, "down", "up", false);
}

}  // namespace

std::vector<Diagnosis> Describe(const Findings& f) {
  std::vector<Diagnosis> found;
  if (f.channels_swapped) {
    found.push_back({"channels_swapped", "red and blue are swapped"});
  }
  if (f.flipped_vertically) {
    found.push_back({"flipped_vertically", "the rows are upside down"});
  }
  if (f.flipped_horizontally) {
    found.push_back({"flipped_horizontally", "the picture is mirrored left to right"});
  }
  if (f.shifted) {
    found.push_back({"shifted", Shift(f.dx, f.dy)});
  }
  if (f.transposed) {
    found.push_back({"transposed", "width and height are swapped (rows and columns exchanged)"});
  }
  if (f.border != 0) {
    found.push_back({"border_only", "differs only within " + std::to_string(f.border) +
                                        (f.border == 1 ? " pixel" : " pixels") + " of the edge"});
  }
  if (f.rounding) {
    found.push_back({"rounding", "every difference is 1 (rounding)"});
  }
  if (f.offset != 0) {
    found.push_back({"offset", "every value is " + std::to_string(std::abs(f.offset)) +
                                   (f.offset > 0 ? " too high" : " too low") +
                                   ", as far as 0\u2013255 allows"});
  }
  if (f.grey_output) {
    found.push_back({"grey_output", "the output is grey, the reference in colour"});
  } else if (f.grey_reference) {
    found.push_back({"grey_reference", "the reference is grey, the output in colour"});
  }
  return found;
}

std::vector<Diagnosis> Diagnose(const ImageView& o, const ImageView& r, double mae,
                                unsigned largest) {
  Findings f;
  FindMistakes(o, r, mae, largest, &f);
  return Describe(f);
}
