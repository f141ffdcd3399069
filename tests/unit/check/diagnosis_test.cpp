// The diagnosis: its table looked up by code, the numbers and names put in
// its words, the order it says them in, and each usual mistake named on a
// picture made here.
#include "diagnosis.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "diagnosis_pictures.h"

namespace {

using namespace mae::check;
using diagnosis_pictures::Image;

std::vector<std::string> Codes(const std::vector<Diagnosis>& list) {
  std::vector<std::string> codes;
  for (const Diagnosis& d : list) {
    codes.push_back(d.code);
  }
  return codes;
}

// Every finding there is at once.
Findings AllFound() {
  Findings f;
  f.channels_swapped = f.flipped_vertically = f.flipped_horizontally = f.rotated_180 = true;
  f.shifted = f.transposed = f.rounding = f.no_clamping = true;
  f.grey_output = f.grey_reference = true;
  f.dx = -2;
  f.dy = 1;
  f.border = 3;
  f.left_out = 2;
  f.offset = 7;
  return f;
}

TEST(DiagnosisTable, FindsEachRowByItsCode) {
  for (const DiagnosisWords& row : kDiagnoses) {
    EXPECT_EQ(DiagnosisFor(row.code), &row) << row.code;
    EXPECT_EQ(&DiagnosisRow(row.id), &row) << row.code;
  }
  EXPECT_EQ(DiagnosisFor("blurred"), nullptr);
  EXPECT_EQ(DiagnosisFor(""), nullptr);
}

TEST(Diagnosis, PutsTheNumbersAndNamesFoundInItsWords) {
  Findings singular;
  singular.border = 1;
  singular.left_out = 1;
  singular.offset = -1;
  singular.shifted = true;
  singular.dx = 1;
  singular.dy = -1;
  const struct {
    Diagnosis said;
    const char* code;
    const char* text;
  } cases[] = {
      {Said(DiagnosisCode::kMatchesOtherCase, {{"CASE", "Blur3"}}), "matches_other_case",
       "matches the reference of Blur3"},
      // A name that holds the table's own placeholders is put in as it is.
      {Said(DiagnosisCode::kMatchesOtherCase, {{"CASE", "N CASE"}}), "matches_other_case",
       "matches the reference of N CASE"},
      {Said(DiagnosisCode::kNotFiltered), "not_filtered",
       "is the input picture itself, not filtered"},
      {Describe(AllFound())[4], "shifted", "shifted left by 2 pixels and down by 1"},
      {Describe(AllFound())[6], "border_only", "differs only within 3 pixels of the edge"},
      {Describe(AllFound())[7], "border_left_out",
       "leaves out a border of 2 pixels, the reference's inside otherwise"},
      {Describe(AllFound())[10], "offset",
       "every value is 7 too high, as far as 0\u2013255 allows"},
      {Describe(singular)[0], "shifted", "shifted right by 1 pixel and up by 1"},
      {Describe(singular)[1], "border_only", "differs only within 1 pixel of the edge"},
      {Describe(singular)[2], "border_left_out",
       "leaves out a border of 1 pixel, the reference's inside otherwise"},
      {Describe(singular)[3], "offset", "every value is 1 too low, as far as 0\u2013255 allows"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.said.code, c.code);
    EXPECT_EQ(c.said.text, c.text);
  }
}

TEST(Diagnosis, SaysEveryFindingOnceInTheTablesOrder) {
  const std::vector<Diagnosis> said = Describe(AllFound());
  // Grey output and grey reference at once say only the first; the two the
  // run finds itself are never said here.
  const std::vector<std::string> expected = {"channels_swapped",
                                             "flipped_vertically",
                                             "flipped_horizontally",
                                             "rotated_180",
                                             "shifted",
                                             "transposed",
                                             "border_only",
                                             "border_left_out",
                                             "rounding",
                                             "no_clamping",
                                             "offset",
                                             "grey_output"};
  EXPECT_EQ(Codes(said), expected);
  for (const Diagnosis& d : said) {
    // Every placeholder filled: no N or CASE left standing in the words.
    EXPECT_EQ((" " + d.text + " ").find(" N "), std::string::npos) << d.text;
    EXPECT_EQ(d.text.find("CASE"), std::string::npos) << d.text;
  }
  EXPECT_EQ(Codes(Describe(Findings())), std::vector<std::string>{});
}

TEST(Diagnosis, AddsInTheTablesOrderWithUnknownCodesLast) {
  std::vector<Diagnosis> list;
  AddDiagnosis({"made_up", "?"}, &list);
  AddDiagnosis(Said(DiagnosisCode::kGreyReference), &list);
  AddDiagnosis(Said(DiagnosisCode::kNotFiltered), &list);
  AddDiagnosis(Said(DiagnosisCode::kMatchesOtherCase, {{"CASE", "Sobel"}}), &list);
  AddDiagnosis(Said(DiagnosisCode::kChannelsSwapped), &list);
  AddDiagnosis({"also_made_up", "?"}, &list);
  EXPECT_EQ(Codes(list),
            (std::vector<std::string>{"channels_swapped", "matches_other_case", "not_filtered",
                                      "grey_reference", "made_up", "also_made_up"}));
}

// Gradients across each channel with noise on top, every byte within
// 30-199 and nothing symmetric: a picture no rearrangement leaves close to
// itself.
Image Textured(diagnosis_pictures::U w, diagnosis_pictures::U h) {
  std::mt19937 rng(11);
  return diagnosis_pictures::Drawn(
      w, h, [&](diagnosis_pictures::U x, diagnosis_pictures::U y, unsigned char* p) {
        const auto noise = [&rng] { return static_cast<unsigned>(rng() % 80); };
        p[0] = static_cast<unsigned char>(30 + 90 * x / w + noise());
        p[1] = static_cast<unsigned char>(30 + 90 * y / h + noise());
        p[2] = static_cast<unsigned char>(30 + 90 * (w - 1 - x) / w + noise());
      });
}

TEST(Diagnosis, NamesEachMistakeAndNothingElse) {
  diagnosis_pictures::ExpectEveryMistakeSaid(Textured(67, 53));
}

}  // namespace
