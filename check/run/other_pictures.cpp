#include "other_pictures.h"

#include <algorithm>
#include <memory>
#include <string>

#include "diagnosis.h"
#include "diagnosis_table.h"
#include "sigbus_guard.h"

namespace mae::check {

namespace {

// A picture and others mapped in place, and which of them it matches
// within `limit` a byte; run inside RunCatchingSigbus.
struct MatchLook {
  ImageView picture;
  const ImageView* others;
  std::size_t count;
  double limit;
  std::uint64_t* sums;
  bool* within;
};

void MatchInPlace(void* context) {
  const MatchLook& look = *static_cast<MatchLook*>(context);
  MatchWithin(look.picture, look.others, look.count, look.limit, look.sums, look.within);
}

// The first of `others` that `picture` matches within `limit` a byte, or
// others.size(): none does, or a file shrank meanwhile.
std::size_t FirstMatch(const ImageView& picture, const std::vector<ImageView>& others,
                       double limit) {
  if (picture.pixels == nullptr || others.empty()) {
    return others.size();
  }
  std::vector<std::uint64_t> sums(others.size());
  const std::unique_ptr<bool[]> within(new bool[others.size()]());
  MatchLook look{picture, others.data(), others.size(), limit, sums.data(), within.get()};
  if (RunCatchingSigbus(MatchInPlace, &look) != nullptr) {
    return others.size();
  }
  return static_cast<std::size_t>(std::find(within.get(), within.get() + others.size(), true) -
                                  within.get());
}

// A failing case is worth a look at other pictures than its two.
bool Comparable(const CaseResult& r) {
  return r.verdict == Verdict::kFail && r.comparison.state == CompareState::kCompared &&
         r.output_size && r.comparison.mae() > 0;
}

}  // namespace

std::vector<Diagnosis> MatchOtherPictures(const std::string& input, const std::vector<Case>& cases,
                                          std::size_t i, const ImageView& output,
                                          const CaseResult& r, SharedPictures* shared) {
  std::vector<Diagnosis> found;
  if (!Comparable(r)) {
    return found;
  }
  // An output that is another case's answer: within a tenth of its MAE,
  // the reference of another case of the same size (the wrong kernel size,
  // or two files swapped). The output is read once against them all, and
  // each comparison stops as soon as the rows read prove the two differ by
  // more.
  std::vector<ImageView> others;
  std::vector<std::size_t> which;
  for (std::size_t j = 0; j < cases.size(); ++j) {
    if (j == i || !cases[j].problem.empty() || cases[j].reference == cases[i].reference) {
      continue;
    }
    const ImageView ref = shared->Get(cases[j].reference).View();
    if (ref.pixels != nullptr && Size{ref.width, ref.height} == *r.output_size) {
      others.push_back(ref);
      which.push_back(j);
    }
  }
  const std::size_t k = FirstMatch(output, others, r.comparison.mae() / 10);
  if (k < others.size()) {
    found.push_back(Said(DiagnosisCode::kMatchesOtherCase, {{"CASE", cases[which[k]].name}}));
  }
  // An output left as the input picture given for its case.
  if (!input.empty()) {
    const ImageView picture = shared->Get(input).View();
    if (picture.pixels != nullptr && FirstMatch(output, {picture}, r.comparison.mae() / 10) == 0) {
      found.push_back(Said(DiagnosisCode::kNotFiltered));
    }
  }
  return found;
}

}  // namespace mae::check
