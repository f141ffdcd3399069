#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "diagnosis.h"

namespace mae::check {

namespace {

// "N pixels" said of n.
std::string Pixels(std::uint32_t n) {
  return std::to_string(n) + (n == 1 ? " pixel" : " pixels");
}

// A shift of d each way: "right by N" or "left by N", and so on.
std::string Moved(int d, const char* plus, const char* minus, bool unit) {
  const auto n = static_cast<std::uint32_t>(std::abs(d));
  return std::string(d < 0 ? minus : plus) + " by " + (unit ? Pixels(n) : std::to_string(n));
}

}  // namespace

std::vector<Diagnosis> Describe(const Findings& f) {
  using Code = DiagnosisCode;
  std::vector<Diagnosis> found;
  const auto say = [&found](bool holds, Code id, std::initializer_list<Filled> fills = {}) {
    if (holds) {
      AddDiagnosis(Said(id, fills), &found);
    }
  };
  say(f.channels_swapped, Code::kChannelsSwapped);
  say(f.flipped_vertically, Code::kFlippedVertically);
  say(f.flipped_horizontally, Code::kFlippedHorizontally);
  say(f.rotated_180, Code::kRotated180);
  say(f.shifted, Code::kShifted,
      {{"right by N pixels", Moved(f.dx, "right", "left", true)},
       {"down by N", Moved(f.dy, "down", "up", false)}});
  say(f.transposed, Code::kTransposed);
  say(f.border != 0, Code::kBorderOnly, {{"N pixels", Pixels(f.border)}});
  say(f.left_out != 0, Code::kBorderLeftOut, {{"N pixels", Pixels(f.left_out)}});
  say(f.rounding, Code::kRounding);
  say(f.no_clamping, Code::kNoClamping);
  say(f.offset != 0, Code::kOffset,
      {{"N too high",
        std::to_string(std::abs(f.offset)) + (f.offset > 0 ? " too high" : " too low")}});
  // matches_other_case and not_filtered are told by the run, which sees
  // every case and reads the input picture.
  say(f.grey_output, Code::kGreyOutput);
  say(f.grey_reference && !f.grey_output, Code::kGreyReference);
  return found;
}

}  // namespace mae::check
