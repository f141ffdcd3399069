#include "run_cases.h"

#include <iterator>
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

void LookCloser(const RunOptions& options, CaseResult* r) {
  BmpFile out;
  BmpFile ref;
  if (out.Open(r->output_read.c_str()).status != BmpStatus::kOk ||
      ref.Open(r->reference_read.c_str()).status != BmpStatus::kOk ||
      out.header().bit_count != kComparedBitCount || ref.header().bit_count != kComparedBitCount ||
      !out.Map() || !ref.Map()) {
    return;  // changed since it was compared, or cannot be mapped
  }
  CloserLook look{
      ViewOf(out),      ViewOf(ref),          r->comparison.mae(), r->comparison.max_difference,
      options.diagnose, options.hash_outputs, Findings(),          0};
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

// The decoded copies of one case's files, kept while the run reads them.
struct DecodedPair {
  DecodedFile output;
  DecodedFile reference;
};

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
                   DecodedPair* decoded) {
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
    LookCloser(options, &r);
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

// The first row of the picture at `path` equals that of `other`: a cheap
// look before a whole comparison. Files that cannot be opened as 24-bit
// pictures never match.
bool SameFirstRow(const std::string& path, const std::string& other) {
  BmpFile a;
  BmpFile b;
  if (a.Open(path.c_str()).status != BmpStatus::kOk ||
      b.Open(other.c_str()).status != BmpStatus::kOk || a.header().bit_count != kComparedBitCount ||
      b.header().bit_count != kComparedBitCount || a.header().row_bytes != b.header().row_bytes ||
      a.header().height == 0) {
    return false;
  }
  const auto bytes = static_cast<std::size_t>(a.header().row_bytes);
  std::vector<unsigned char> row_a(bytes), row_b(bytes);
  return a.ReadAt(a.header().offset, row_a.data(), bytes) &&
         b.ReadAt(b.header().offset, row_b.data(), bytes) && row_a == row_b;
}

// An output that is another case's answer: a failing case whose output is,
// within a tenth of its MAE, the reference of another case of the same
// size (the wrong kernel size, or two files swapped).
void MatchOtherCases(const RunOptions& options, std::vector<CaseResult>* results) {
  std::vector<CaseResult>& all = *results;
  for (CaseResult& r : all) {
    if (!options.diagnose || r.verdict != Verdict::kFail ||
        r.comparison.state != CompareState::kCompared || !r.output_size) {
      continue;
    }
    for (const CaseResult& other : all) {
      if (&other == &r || other.reference_size != r.output_size ||
          other.test_case.reference == r.test_case.reference ||
          !SameFirstRow(r.output_read, other.reference_read)) {
        continue;
      }
      const Comparison c = CompareFiles(r.output_read.c_str(), other.reference_read.c_str());
      if (c.state == CompareState::kCompared && c.mae() <= r.comparison.mae() / 10) {
        r.diagnosis.push_back(
            {"matches_other_case", "matches the reference of " + other.test_case.name});
        break;
      }
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
  std::vector<DecodedPair> decoded(cases.size());
  ParallelFor(cases.size(), 0, [&](std::size_t i) {
    results[i] = RunCase(cases[i], options, kept != nullptr ? kept + i : nullptr, &decoded[i]);
  });
  MatchOtherCases(options, &results);
  if (kept != nullptr && options.whole_pictures) {
    MakeReportPictures(options, results, pictures);
  }
  return results;
}

}  // namespace mae::check
