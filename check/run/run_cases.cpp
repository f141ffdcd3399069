#include "run_cases.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bmp_file.h"
#include "case_pictures.h"
#include "decoded_file.h"
#include "diagnosis.h"
#include "picture.h"
#include "sigbus_guard.h"
#include "verdict.h"
#include "worker_pool.h"

namespace mae::check {

namespace {

// The size of a file whose header was accepted; a 32-bit image still has
// a meaningful size, a top-down or damaged one does not.
std::optional<Size> SizeOf(const FileOutcome& file) {
  if (file.fields_read && (file.status == BmpStatus::kOk || file.status == BmpStatus::kNot24Bit ||
                           file.status == BmpStatus::kReadError)) {
    return Size{file.header.width, file.header.height};
  }
  return std::nullopt;
}

// A failing case's two images, looked at in place where they are mapped:
// what looks wrong, and the hash of the output's pixels. Runs inside
// RunCatchingSigbus, so it owns nothing that needs a destructor.
struct CloserLook {
  ImageView output;
  ImageView reference;
  double mae;
  unsigned largest;
  bool diagnose;
  bool hash;
  Findings findings;
  std::uint64_t output_hash;
};

void LookInPlace(void* context) {
  CloserLook& look = *static_cast<CloserLook*>(context);
  if (look.diagnose) {
    FindMistakes(look.output, look.reference, look.mae, look.largest, &look.findings);
  }
  if (look.hash) {
    look.output_hash = PixelHash(look.output);
  }
}

ImageView ViewOf(const BmpFile& file) {
  const BmpHeader& h = file.header();
  return {file.mapped() + h.offset, h.width, h.height, static_cast<std::size_t>(h.stride)};
}

// A picture of the run opened and mapped, or nothing where it cannot be
// read as a 24-bit picture.
std::unique_ptr<BmpFile> Mapped(const std::string& path) {
  auto file = std::make_unique<BmpFile>();
  if (file->Open(path.c_str()).status != BmpStatus::kOk ||
      file->header().bit_count != kComparedBitCount || !file->Map()) {
    return nullptr;
  }
  return file;
}

// One case's files while the run reads them: the decoded copies, and the
// mappings a closer look made, which the looks at other cases' pictures
// read again (their pages already mapped).
struct CaseFiles {
  DecodedFile output;
  DecodedFile reference;
  std::unique_ptr<BmpFile> output_map;
  std::unique_ptr<BmpFile> reference_map;
};

void LookCloser(const RunOptions& options, CaseResult* r, CaseFiles* files) {
  files->output_map = Mapped(r->output_read);
  files->reference_map = Mapped(r->reference_read);
  if (!files->output_map || !files->reference_map) {
    return;  // changed since it was compared, or cannot be mapped
  }
  CloserLook look{ViewOf(*files->output_map),
                  ViewOf(*files->reference_map),
                  r->comparison.mae(),
                  r->comparison.max_difference,
                  options.diagnose,
                  options.hash_outputs,
                  Findings(),
                  0};
  if (RunCatchingSigbus(LookInPlace, &look) != nullptr) {
    return;  // a file shrank meanwhile: nothing to say
  }
  if (options.diagnose) {
    r->diagnosis = Describe(look.findings);
  }
  if (options.hash_outputs) {
    r->output_hash = look.output_hash;
  }
}

// Tells what the file at `path` is and, for a format the comparison does
// not read as it lies, decodes it: *read becomes the copy's path, or
// *error says why there is none.
void Prepare(const std::string& path, FileKind* kind, DecodedFile* copy, std::string* read,
             RowLayout* layout, std::string* error) {
  *read = path;
  *kind = IdentifyFile(path);
  if (!kind->decoded()) {
    return;
  }
  Decoding decoding = DecodeFile(path, *kind);
  if (decoding.file.empty()) {
    *error = decoding.error;
    return;
  }
  *copy = std::move(decoding.file);
  *read = copy->path();
  *layout = decoding.layout;
}

CaseResult RunCase(const Case& c, const RunOptions& options, CasePictures* pictures,
                   CaseFiles* decoded) {
  CaseResult r;
  r.test_case = c;
  r.output_read = c.output;
  r.reference_read = c.reference;
  if (!c.problem.empty()) {
    r.verdict = Verdict::kError;
    r.reason = c.problem;
    r.max_mae = options.rules.MaxFor(c.name);
    r.points = options.rules.PointsFor(c.name);
    return r;
  }
  CompareOptions compare;
  compare.figures = true;
  compare.border = options.rules.border;
  std::optional<DiffPainter> painter;
  if (pictures != nullptr) {
    // Both sides are below 2^31: the header check refuses wider images.
    compare.on_area = [&painter, &options](std::uint64_t width, std::uint64_t height) {
      painter.emplace(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                      options.rules.border);
    };
    compare.visit = [&painter](std::uint64_t row, std::uint64_t start, const unsigned char* a,
                               const unsigned char* b,
                               std::size_t n) { painter->Paint(row, start, a, b, n); };
  }
  Prepare(c.output, &r.output_kind, &decoded->output, &r.output_read, &r.output_layout,
          &r.output_decode_error);
  Prepare(c.reference, &r.reference_kind, &decoded->reference, &r.reference_read,
          &r.reference_layout, &r.reference_decode_error);
  r.comparison = CompareFiles(r.output_read.c_str(), r.reference_read.c_str(), compare);
  if (decoded->output.empty()) {
    r.output_layout = r.comparison.a.header.layout;
  }
  if (decoded->reference.empty()) {
    r.reference_layout = r.comparison.b.header.layout;
  }
  r.output_size = SizeOf(r.comparison.a);
  r.reference_size = SizeOf(r.comparison.b);
  Judge(options.rules, &r);
  if (r.verdict == Verdict::kFail && r.comparison.state == CompareState::kCompared &&
      (options.diagnose || options.hash_outputs)) {
    LookCloser(options, &r, decoded);
  }
  if (painter && r.comparison.state == CompareState::kCompared) {
    if (options.diff_pictures) {
      pictures->diff_png = CasePng(painter->picture(), pictures, true);
    }
    pictures->diff_marks = painter->marks();
    if (options.keep_diff_picture || options.whole_pictures) {
      pictures->diff_picture = painter->TakePicture();
    }
  }
  if (pictures != nullptr) {
    pictures->step = ReportStep(r);
    pictures->smaller = options.smaller_pictures;
  }
  return r;
}

// The report's pictures, a part of a case at a time on every processor:
// finer pieces than whole cases keep both busy to the end.
void MakeReportPictures(const RunOptions& options, const std::vector<CaseResult>& results,
                        std::vector<CasePictures>* pictures) {
  constexpr std::size_t kParts = std::size(kReportPictureMakers);
  std::vector<std::string> errors(results.size() * kParts);
  ParallelFor(errors.size(), 0, [&](std::size_t i) {
    const CaseResult& r = results[i / kParts];
    if (r.verdict != Verdict::kError && r.comparison.has_figures()) {
      kReportPictureMakers[i % kParts](r, &(*pictures)[i / kParts], &errors[i]);
    }
  });
  for (std::size_t i = 0; i < errors.size(); ++i) {
    CasePictures& p = (*pictures)[i / kParts];
    if (!errors[i].empty() && p.error.empty()) {
      p.error = "cannot make a PNG picture: " + errors[i];
    }
    if (!options.keep_diff_picture) {
      p.diff_picture = Picture();
    }
  }
}

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

// An output that is another case's answer: a failing case whose output is,
// within a tenth of its MAE, the reference of another case of the same
// size (the wrong kernel size, or two files swapped). The output is read
// once against them all, and each comparison stops as soon as the rows read
// prove the two differ by more.
void MatchOtherCases(std::vector<CaseResult>* results, std::vector<CaseFiles>* files) {
  std::vector<CaseResult>& all = *results;
  const std::size_t n = all.size();
  if (std::none_of(all.begin(), all.end(), Comparable)) {
    return;
  }
  std::vector<const BmpFile*> refs(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::unique_ptr<BmpFile>& map = (*files)[i].reference_map;
    if (!map && all[i].reference_size) {
      map = Mapped(all[i].reference_read);
    }
    refs[i] = map.get();
  }
  ParallelFor(n, 0, [&](std::size_t i) {
    CaseResult& r = all[i];
    if (!Comparable(r)) {
      return;
    }
    std::vector<const BmpFile*> others;
    std::vector<std::size_t> cases;
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i && refs[j] && all[j].reference_size == r.output_size &&
          all[j].test_case.reference != r.test_case.reference) {
        others.push_back(refs[j]);
        cases.push_back(j);
      }
    }
    const std::size_t k = FirstMatch((*files)[i].output_map.get(), others, r.comparison.mae() / 10);
    if (k < others.size()) {
      AddDiagnosis(
          {"matches_other_case", "matches the reference of " + all[cases[k]].test_case.name},
          &r.diagnosis);
    }
  });
}

// The exercise's input pictures, each read once: decoded when it is not a
// plain bottom-up 24-bit BMP.
class InputPictures {
 public:
  // The path the picture at `path` is read through.
  const std::string& ReadPath(const std::string& path) {
    for (const Input& input : inputs_) {
      if (input.path == path) {
        return input.read;
      }
    }
    Input input;
    input.path = path;
    FileKind kind;
    RowLayout layout = RowLayout::kNone;
    std::string error;
    Prepare(path, &kind, &input.copy, &input.read, &layout, &error);
    inputs_.push_back(std::move(input));
    return inputs_.back().read;
  }

 private:
  struct Input {
    std::string path;
    DecodedFile copy;
    std::string read;
  };
  std::vector<Input> inputs_;
};

// An output left as the input picture: a failing case whose output is,
// within a tenth of its MAE, the input picture given for it.
void MatchInputs(const CaseRules& rules, std::vector<CaseResult>* results,
                 const std::vector<CaseFiles>& files) {
  InputPictures inputs;
  for (std::size_t i = 0; i < results->size(); ++i) {
    CaseResult& r = (*results)[i];
    const std::string input = rules.InputFor(r.test_case.name);
    if (input.empty() || !Comparable(r)) {
      continue;
    }
    const std::unique_ptr<BmpFile> picture = Mapped(inputs.ReadPath(input));
    if (picture &&
        FirstMatch(files[i].output_map.get(), {picture.get()}, r.comparison.mae() / 10) == 0) {
      AddDiagnosis({"not_filtered", DiagnosisFor("not_filtered")->words}, &r.diagnosis);
    }
  }
}

}  // namespace

std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options,
                                 std::vector<CasePictures>* pictures) {
  const bool drawn = options.diff_pictures || options.whole_pictures || options.keep_diff_picture;
  if (pictures != nullptr) {
    pictures->assign(cases.size(), CasePictures());
  }
  CasePictures* kept = drawn && pictures != nullptr ? pictures->data() : nullptr;
  std::vector<CaseResult> results(cases.size());
  // Decoded copies live until the last picture has been read from them.
  std::vector<CaseFiles> decoded(cases.size());
  ParallelFor(cases.size(), 0, [&](std::size_t i) {
    results[i] = RunCase(cases[i], options, kept != nullptr ? kept + i : nullptr, &decoded[i]);
  });
  if (options.diagnose) {
    MatchOtherCases(&results, &decoded);
    MatchInputs(options.rules, &results, decoded);
  }
  if (kept != nullptr && options.whole_pictures) {
    MakeReportPictures(options, results, pictures);
  }
  return results;
}

}  // namespace mae::check
