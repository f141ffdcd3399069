// Every explanation of what looks wrong with a failing case, one row each:
// its code for scripts, its words, the few words a class table has room
// for, and whether a program makes the mistake the same way every time.
// The rows are checked when the tool is built: one per code, in the
// enum's order, no code twice.
#ifndef MAE_CHECK_DIAGNOSIS_TABLE_H
#define MAE_CHECK_DIAGNOSIS_TABLE_H

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "case_result.h"
#include "enum_table.h"

namespace mae::check {

// In the order the explanations are said.
enum class DiagnosisCode {
  kChannelsSwapped,
  kFlippedVertically,
  kFlippedHorizontally,
  kRotated180,
  kShifted,
  kTransposed,
  kBorderOnly,
  kBorderLeftOut,
  kRounding,
  kNoClamping,
  kOffset,
  kMatchesOtherCase,
  kNotFiltered,
  kGreyOutput,
  kGreyReference,
};
inline constexpr std::size_t kDiagnosisCount =
    static_cast<std::size_t>(DiagnosisCode::kGreyReference) + 1;

// In the words, N stands for the numbers found (shifted: left or right, up
// or down; offset: too high or too low) and CASE for a case's name; Said
// puts them in. matches_other_case and not_filtered look at other pictures
// than the case's two (run_files.cpp); the rest come from Describe.
// `deterministic`: a program that makes the mistake makes it the same way
// for every student who hands it in, so identical outputs that show it are
// explained by it rather than by copying.
struct DiagnosisWords {
  DiagnosisCode id;
  const char* code;
  const char* words;
  const char* brief;
  bool deterministic;
};
inline constexpr DiagnosisWords kDiagnoses[] = {
    {DiagnosisCode::kChannelsSwapped, "channels_swapped", "red and blue are swapped",
     "red and blue swapped", true},
    {DiagnosisCode::kFlippedVertically, "flipped_vertically", "the rows are upside down",
     "rows upside down", true},
    {DiagnosisCode::kFlippedHorizontally, "flipped_horizontally",
     "the picture is mirrored left to right", "mirrored", true},
    {DiagnosisCode::kRotated180, "rotated_180",
     "the picture is turned 180 degrees (upside down and mirrored)", "turned 180", true},
    {DiagnosisCode::kShifted, "shifted", "shifted right by N pixels and down by N", "shifted",
     true},
    {DiagnosisCode::kTransposed, "transposed",
     "width and height are swapped (rows and columns exchanged)", "transposed", true},
    {DiagnosisCode::kBorderOnly, "border_only", "differs only within N pixels of the edge",
     "border only", false},
    {DiagnosisCode::kBorderLeftOut, "border_left_out",
     "leaves out a border of N pixels, the reference's inside otherwise", "border left out", false},
    {DiagnosisCode::kRounding, "rounding", "every difference is 1 (rounding)", "rounding", false},
    {DiagnosisCode::kNoClamping, "no_clamping",
     "values wrap round past 0 and 255 instead of stopping there", "no clamping", true},
    {DiagnosisCode::kOffset, "offset", "every value is N too high, as far as 0\u2013255 allows",
     "values offset", false},
    {DiagnosisCode::kMatchesOtherCase, "matches_other_case", "matches the reference of CASE",
     "another case's answer", true},
    {DiagnosisCode::kNotFiltered, "not_filtered", "is the input picture itself, not filtered",
     "not filtered", true},
    {DiagnosisCode::kGreyOutput, "grey_output", "the output is grey, the reference in colour",
     "grey output", false},
    {DiagnosisCode::kGreyReference, "grey_reference", "the reference is grey, the output in colour",
     "grey reference", false},
};

namespace diagnosis_table {

// Whether two texts are the same, when the tool is built.
constexpr bool SameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

constexpr bool CodesDistinct() {
  for (std::size_t i = 0; i < std::size(kDiagnoses); ++i) {
    for (std::size_t j = i + 1; j < std::size(kDiagnoses); ++j) {
      if (SameText(kDiagnoses[i].code, kDiagnoses[j].code)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace diagnosis_table

static_assert(InEnumOrder(kDiagnoses, &DiagnosisWords::id) &&
                  std::size(kDiagnoses) == kDiagnosisCount,
              "one row per diagnosis, in the enum's order");
static_assert(diagnosis_table::CodesDistinct(), "no two diagnoses share a code");

// The row of a diagnosis.
constexpr const DiagnosisWords& DiagnosisRow(DiagnosisCode id) {
  return RowFor(kDiagnoses, id);
}

// The row of a diagnosis's code; null for a code that is none of them.
const DiagnosisWords* DiagnosisFor(const std::string& code);

// A piece of a diagnosis's words, as the table has it ("N pixels",
// "CASE"), and what is said in its place.
struct Filled {
  const char* piece;
  std::string said;
};

// The diagnosis `id` with its table words, the first place each piece in
// `fills` stands replaced by what is said there. A piece the words do not
// hold changes nothing (the tests check that no N or CASE is left in what
// Describe says).
Diagnosis Said(DiagnosisCode id, std::initializer_list<Filled> fills = {});

// Adds `d` to `list` in the table's order, a code it does not hold last.
void AddDiagnosis(Diagnosis d, std::vector<Diagnosis>* list);

}  // namespace mae::check

#endif  // MAE_CHECK_DIAGNOSIS_TABLE_H
