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
#include "run_files.h"
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

// One case's output while the run reads it: its decoded copy, and the
// mapping a closer look made, which the looks at other pictures read again
// (its pages already mapped). They go when the case is done.
struct CaseFiles {
  Prepared output;
  std::unique_ptr<BmpFile> output_map;
};

void LookCloser(const RunOptions& options, CaseResult* r, CaseFiles* files,
                const BmpFile* reference) {
  files->output_map = Mapped(r->output_read);
  if (!files->output_map || reference == nullptr) {
    return;  // changed since it was compared, or cannot be mapped
  }
  CloserLook look{ViewOf(*files->output_map),
                  ViewOf(*reference),
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

// The report's pictures of a case, made while its output is read.
void MakeReportPictures(const RunOptions& options, const CaseResult& r, CasePictures* p) {
  if (r.verdict != Verdict::kError && r.comparison.has_figures()) {
    for (const ReportPictureMaker make : kReportPictureMakers) {
      p->Note(make(r, p));
    }
  }
  if (!options.keep_diff_picture) {
    p->diff_picture = Picture();
  }
}

// Case i: compared, judged, looked at closer and pictured while its output
// is read.
CaseResult RunCase(const std::vector<Case>& cases, std::size_t i, const RunOptions& options,
                   CasePictures* pictures, SharedPictures* shared) {
  const Case& c = cases[i];
  CaseFiles files;
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
  files.output = Prepare(c.output, options.max_pixels);
  const Prepared& reference = shared->reference(i);
  r.output_kind = files.output.kind;
  r.output_read = files.output.read;
  r.output_layout = files.output.layout;
  r.output_decode_error = files.output.error;
  r.reference_kind = reference.kind;
  r.reference_read = reference.read;
  r.reference_layout = reference.layout;
  r.reference_decode_error = reference.error;
  r.comparison = CompareFiles(r.output_read.c_str(), r.reference_read.c_str(), compare);
  if (files.output.copy.empty()) {
    r.output_layout = r.comparison.a.header.layout;
  }
  if (reference.copy.empty()) {
    r.reference_layout = r.comparison.b.header.layout;
  }
  r.output_size = SizeOf(r.comparison.a);
  r.reference_size = SizeOf(r.comparison.b);
  Judge(options.rules, &r);
  if (r.verdict == Verdict::kFail && r.comparison.state == CompareState::kCompared &&
      (options.diagnose || options.hash_outputs)) {
    LookCloser(options, &r, &files, shared->ReferenceMap(i));
  }
  if (options.diagnose) {
    MatchOtherPictures(options.rules, cases, i, files.output_map.get(), shared, &r);
  }
  if (painter && r.comparison.state == CompareState::kCompared) {
    if (options.diff_pictures) {
      pictures->Note(CasePng(painter->picture(), &pictures->diff_png, true));
    }
    pictures->diff_marks = painter->marks();
    if (options.keep_diff_picture || options.whole_pictures) {
      pictures->diff_picture = painter->TakePicture();
    }
  }
  if (pictures != nullptr) {
    pictures->step = ReportStep(r);
    pictures->smaller = options.smaller_pictures;
    if (options.whole_pictures) {
      MakeReportPictures(options, r, pictures);
    }
  }
  return r;
}

}  // namespace

std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options,
                                 std::vector<CasePictures>* pictures) {
  const bool drawn = options.diff_pictures || options.whole_pictures || options.keep_diff_picture;
  if (pictures != nullptr) {
    pictures->assign(cases.size(), CasePictures());
  }
  CasePictures* kept = drawn && pictures != nullptr ? pictures->data() : nullptr;
  // The references first: the teaching assistant's files, kept for the
  // looks at other cases' pictures. Each output's decoded copy then lives
  // only as long as its case.
  SharedPictures shared(cases, options.max_pixels);
  ParallelFor(cases.size(), 0, [&](std::size_t i) {
    if (cases[i].problem.empty()) {
      shared.reference(i) = Prepare(cases[i].reference, options.max_pixels);
    }
  });
  std::vector<CaseResult> results(cases.size());
  ParallelFor(cases.size(), 0, [&](std::size_t i) {
    results[i] = RunCase(cases, i, options, kept != nullptr ? kept + i : nullptr, &shared);
  });
  return results;
}

}  // namespace mae::check
