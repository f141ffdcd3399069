#include "run_files.h"

#include <algorithm>
#include <utility>

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

// The first of `others` that the mapped `file` matches within `limit` a
// byte, or others.size(): none does, or a file shrank meanwhile.
std::size_t FirstMatch(const BmpFile* file, const std::vector<const BmpFile*>& others,
                       double limit) {
  if (file == nullptr || others.empty()) {
    return others.size();
  }
  std::vector<ImageView> views;
  for (const BmpFile* other : others) {
    views.push_back(ViewOf(*other));
  }
  std::vector<std::uint64_t> sums(others.size());
  const std::unique_ptr<bool[]> within(new bool[others.size()]());
  MatchLook look{ViewOf(*file), views.data(), views.size(), limit, sums.data(), within.get()};
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

Prepared Prepare(const std::string& path, std::uint64_t max_pixels) {
  Prepared p;
  p.read = path;
  p.kind = IdentifyFile(path);
  if (!p.kind.decoded()) {
    return p;
  }
  Decoding decoding = DecodeFile(path, p.kind, max_pixels);
  if (decoding.file.empty()) {
    p.error = decoding.error;
    return p;
  }
  p.copy = std::move(decoding.file);
  p.read = p.copy.path();
  p.layout = decoding.layout;
  return p;
}

ImageView ViewOf(const BmpFile& file) {
  const BmpHeader& h = file.header();
  return {file.mapped() + h.offset, h.width, h.height, static_cast<std::size_t>(h.stride)};
}

std::unique_ptr<BmpFile> Mapped(const std::string& path) {
  auto file = std::make_unique<BmpFile>();
  if (file->Open(path.c_str()).status != BmpStatus::kOk ||
      file->header().bit_count != kComparedBitCount || !file->Map()) {
    return nullptr;
  }
  return file;
}

SharedPictures::SharedPictures(const std::vector<Case>& cases, std::uint64_t max_pixels)
    : cases_(cases),
      max_pixels_(max_pixels),
      references_(cases.size()),
      reference_maps_(cases.size()),
      mapped_(cases.size()) {}

const BmpFile* SharedPictures::ReferenceMap(std::size_t i) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!mapped_[i] && cases_[i].problem.empty()) {
    reference_maps_[i] = Mapped(references_[i].read);
  }
  mapped_[i] = true;
  return reference_maps_[i].get();
}

const BmpFile* SharedPictures::InputMap(const std::string& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (const std::unique_ptr<Input>& input : inputs_) {
    if (input->path == path) {
      return input->map.get();
    }
  }
  auto input = std::make_unique<Input>();
  input->path = path;
  input->prepared = Prepare(path, max_pixels_);
  input->map = Mapped(input->prepared.read);
  inputs_.push_back(std::move(input));
  return inputs_.back()->map.get();
}

void MatchOtherPictures(const CaseRules& rules, const std::vector<Case>& cases, std::size_t i,
                        const BmpFile* output, SharedPictures* shared, CaseResult* r) {
  if (!Comparable(*r)) {
    return;
  }
  // An output that is another case's answer: within a tenth of its MAE,
  // the reference of another case of the same size (the wrong kernel size,
  // or two files swapped). The output is read once against them all, and
  // each comparison stops as soon as the rows read prove the two differ by
  // more.
  std::vector<const BmpFile*> others;
  std::vector<std::size_t> which;
  for (std::size_t j = 0; j < cases.size(); ++j) {
    const BmpFile* ref = j != i ? shared->ReferenceMap(j) : nullptr;
    if (ref != nullptr && Size{ref->header().width, ref->header().height} == *r->output_size &&
        cases[j].reference != cases[i].reference) {
      others.push_back(ref);
      which.push_back(j);
    }
  }
  const std::size_t k = FirstMatch(output, others, r->comparison.mae() / 10);
  if (k < others.size()) {
    AddDiagnosis(Said(DiagnosisCode::kMatchesOtherCase, {{"CASE", cases[which[k]].name}}),
                 &r->diagnosis);
  }
  // An output left as the input picture given for its case.
  const std::string input = rules.InputFor(cases[i].name);
  if (!input.empty()) {
    const BmpFile* picture = shared->InputMap(input);
    if (picture != nullptr && FirstMatch(output, {picture}, r->comparison.mae() / 10) == 0) {
      AddDiagnosis(Said(DiagnosisCode::kNotFiltered), &r->diagnosis);
    }
  }
}

}  // namespace mae::check
