#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "diagnosis.h"

namespace mae::check {

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
  const std::string border = std::to_string(f.border) + (f.border == 1 ? " pixel" : " pixels");
  const std::string offset = std::to_string(std::abs(f.offset)) +
                             (f.offset > 0 ? " too high" : " too low") +
                             ", as far as 0\u2013255 allows";
  // What each explanation says when it holds, in the order of kDiagnoses:
  // its words as they stand, or with the numbers found.
  const struct {
    bool holds;
    std::string words;
  } said[] = {
      {f.channels_swapped, ""},
      {f.flipped_vertically, ""},
      {f.flipped_horizontally, ""},
      {f.rotated_180, ""},
      {f.shifted, Shift(f.dx, f.dy)},
      {f.transposed, ""},
      {f.border != 0, "differs only within " + border + " of the edge"},
      {f.left_out != 0, "leaves out a border of " + std::to_string(f.left_out) +
                            (f.left_out == 1 ? " pixel" : " pixels") +
                            ", the reference's inside otherwise"},
      {f.rounding, ""},
      {f.no_clamping, ""},
      {f.offset != 0, "every value is " + offset},
      {false, ""},  // matches_other_case: told by the run, which sees every case
      {false, ""},  // not_filtered: told by the run, which reads the input picture
      {f.grey_output, ""},
      {f.grey_reference && !f.grey_output, ""},
  };
  static_assert(std::size(said) == std::size(kDiagnoses), "one entry per explanation");
  std::vector<Diagnosis> found;
  for (std::size_t i = 0; i < std::size(said); ++i) {
    if (said[i].holds) {
      found.push_back(
          {kDiagnoses[i].code, said[i].words.empty() ? kDiagnoses[i].words : said[i].words});
    }
  }
  return found;
}

const DiagnosisWords* DiagnosisFor(const std::string& code) {
  for (const DiagnosisWords& d : kDiagnoses) {
    if (code == d.code) {
      return &d;
    }
  }
  return nullptr;
}

}  // namespace mae::check
