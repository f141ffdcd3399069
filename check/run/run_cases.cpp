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
#include "diagnosis.h"
#include "opened_picture.h"
#include "other_pictures.h"
#include "parallel_for.h"
#include "picture.h"
#include "sigbus_guard.h"
#include "ssim.h"
#include "verdict.h"

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

// A failing case's closer look: what looks wrong, and its output's pixel
// hash, read in place from both mapped files.
void LookCloser(const RunOptions& options, const ImageView& output, const ImageView& reference,
                CaseResult* r) {
  if (output.pixels == nullptr || reference.pixels == nullptr) {
    return;  // not mapped: nothing to say
  }
  CloserLook look{output,
                  reference,
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

// The report's pictures of a case, made while its output is open; the
// whole reference once a run, for every case and student that shows it.
void MakeReportPictures(const RunOptions& options, const CaseResult& r, const CaseFiles& files,
                        CasePictures* p, SharedPictures* shared) {
  if (r.verdict != Verdict::kError && r.comparison.has_figures()) {
    p->Note(MakeWholeOutput(r, files, p));
    const SharedPng& reference = shared->Png(r.test_case.reference, p->step, p->smaller, [&] {
      SharedPng png;
      png.problem = WholeReferencePng(r, *files.reference, p->step, p->smaller, &png.base64);
      return png;
    });
    p->reference_png = reference.base64;
    p->reference_hash = reference.hash;
    p->Note(reference.problem);
    p->Note(MakeDrawnDifference(r, files, p));
  }
  if (!options.keep_diff_picture) {
    p->diff_picture = Picture();
  }
}

// The SSIM of the compared area (the common area less the border), read
// into memory first: the computation allocates, so it cannot read a
// mapping under the SIGBUS guard. Nothing for an area under the window.
std::optional<double> ComparedSsim(const Comparison& c, std::uint32_t border, const BmpFile& output,
                                   const BmpFile& reference) {
  if (c.state != CompareState::kCompared || c.width < kSsimWindow || c.height < kSsimWindow) {
    return std::nullopt;
  }
  // Both areas are their files' lower-left corners: from the top, they
  // start height - border - compared rows down.
  const auto area = [&](const BmpFile& file) {
    const auto w = static_cast<std::uint32_t>(c.width);
    const auto h = static_cast<std::uint32_t>(c.height);
    return ReadPicture(file, border, file.header().height - border - h, w, h, 1);
  };
  const Picture out = area(output);
  const Picture ref = area(reference);
  if (out.empty() || ref.empty()) {
    return std::nullopt;
  }
  // Top row first and red first: the mean SSIM is the same either way.
  const auto view = [](const Picture& p) { return ImageView{p.rgb.data(), p.width, p.height, 0}; };
  return Ssim(view(out), view(ref));
}

void SetJudgement(Judgement j, CaseResult* r) {
  r->verdict = j.verdict;
  r->reason = std::move(j.reason);
  r->note = std::move(j.note);
  r->max_mae = j.max_mae;
  r->points = j.points;
  r->earned = j.earned;
}

// What the files of a case are, and their sizes, into its result.
void NoteFiles(const OpenedPicture& output, const OpenedPicture& reference, CaseResult* r) {
  r->output_kind = output.kind();
  r->output_layout = output.layout();
  r->output_decode_error = output.decode_error();
  r->reference_kind = reference.kind();
  r->reference_layout = reference.layout();
  r->reference_decode_error = reference.decode_error();
  r->output_size = SizeOf(r->comparison.a);
  r->reference_size = SizeOf(r->comparison.b);
}

// Case i: compared, judged, looked at closer and pictured while its output
// is open. The output is opened here, once, and closed when the case is
// done; the reference is the run's shared one.
CaseResult RunCase(const std::vector<Case>& cases, std::size_t i, const RunOptions& options,
                   CasePictures* pictures, SharedPictures* shared) {
  const Case& c = cases[i];
  CaseResult r;
  r.test_case = c;
  if (!c.problem.empty()) {
    SetJudgement(Judge(options.rules, r), &r);
    return r;
  }
  CompareOptions compare;
  compare.figures = true;
  compare.squares = options.rules.metrics.rmse || options.rules.metrics.psnr;
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
  OpenedPicture output(c.output, options.max_pixels);
  OpenedPicture& reference = shared->Get(c.reference);
  r.comparison = CompareOpenFiles(output.file(), reference.file(), compare);
  NoteFiles(output, reference, &r);
  if (options.rules.metrics.ssim) {
    r.ssim = ComparedSsim(r.comparison, options.rules.border, output.file(), reference.file());
  }
  SetJudgement(Judge(options.rules, r), &r);
  const bool failed = r.verdict == Verdict::kFail && r.comparison.state == CompareState::kCompared;
  ImageView output_view;
  if (failed && (options.diagnose || options.hash_outputs) && output.file().Map()) {
    output_view = output.View();
    LookCloser(options, output_view, reference.View(), &r);
  }
  if (options.diagnose && output_view.pixels != nullptr) {
    for (Diagnosis& d : MatchOtherPictures(options.rules, cases, i, output_view, r, shared)) {
      AddDiagnosis(std::move(d), &r.diagnosis);
    }
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
      MakeReportPictures(options, r, CaseFiles{&output.file(), &reference.file()}, pictures,
                         shared);
    }
  }
  return r;
}

}  // namespace

std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options,
                                 SharedPictures* shared, std::vector<CasePictures>* pictures) {
  const bool drawn = options.diff_pictures || options.whole_pictures || options.keep_diff_picture;
  if (pictures != nullptr) {
    pictures->assign(cases.size(), CasePictures());
  }
  CasePictures* kept = drawn && pictures != nullptr ? pictures->data() : nullptr;
  std::vector<CaseResult> results(cases.size());
  ParallelFor(cases.size(), 0, [&](std::size_t i) {
    results[i] = RunCase(cases, i, options, kept != nullptr ? kept + i : nullptr, shared);
  });
  return results;
}

}  // namespace mae::check
