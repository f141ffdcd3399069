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
#include "closer_look.h"
#include "diagnosis.h"
#include "ignored_places.h"
#include "metric_rules.h"
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

// A file's size as its header gives it (0 x 0 when it was refused).
Size HeaderSize(const BmpFile& file) {
  return {file.header().width, file.header().height};
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
  const ExerciseCase rule = options.rules.RulesFor(c.name);
  r.metrics = options.rules.metrics;
  r.visibility = rule.visibility;
  if (!c.problem.empty()) {
    SetJudgement(Judge(options.rules, r), &r);
    return r;
  }
  const bool diagnose = options.diagnose && rule.diagnoses;
  OpenedPicture output(c.output, options.max_pixels);
  OpenedPicture& reference = shared->Get(c.reference);
  CompareOptions compare;
  compare.figures = true;
  compare.squares = options.rules.metrics.rmse || options.rules.metrics.psnr || NeedsSquares(rule);
  compare.border = rule.border;
  if (rule.differing_percent && rule.tolerance != 0) {
    compare.tolerance = rule.tolerance;
  }
  const IgnoredArea ignored = PlaceIgnored(rule.ignore, HeaderSize(output.file()),
                                           HeaderSize(reference.file()), rule.border);
  compare.ignore = ignored.compared;
  std::optional<DiffPainter> painter;
  if (pictures != nullptr) {
    // Both sides are below 2^31: the header check refuses wider images.
    compare.on_area = [&painter, &rule](std::uint64_t width, std::uint64_t height) {
      painter.emplace(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                      rule.border);
    };
    compare.visit = [&painter](std::uint64_t row, std::uint64_t start, const unsigned char* a,
                               const unsigned char* b,
                               std::size_t n) { painter->Paint(row, start, a, b, n); };
  }
  r.comparison = CompareOpenFiles(output.file(), reference.file(), compare);
  NoteFiles(output, reference, &r);
  if (options.rules.metrics.ssim || rule.ssim) {
    r.ssim =
        ComparedSsim(r.comparison, rule.border, output.file(), reference.file(), ignored.in_area);
  }
  SetJudgement(Judge(options.rules, r), &r);
  const bool failed = r.verdict == Verdict::kFail && r.comparison.state == CompareState::kCompared;
  ImageView output_view;
  if (failed && (diagnose || options.hash_outputs) && output.file().Map()) {
    output_view = output.View();
    LookCloser(diagnose && ignored.empty(), options.hash_outputs, output_view, reference.View(),
               &r);
    if (diagnose && !ignored.empty()) {
      // The closer look sees the ignored rectangles as the reference has them.
      const std::vector<unsigned char> patched =
          OutputWithIgnoredAsReference(output_view, reference.View(), ignored.in_common);
      if (!patched.empty()) {
        const ImageView view{patched.data(), output_view.width, output_view.height, 0};
        LookCloser(true, false, view, reference.View(), &r);
      }
    }
  }
  if (diagnose && output_view.pixels != nullptr) {
    for (Diagnosis& d : MatchOtherPictures(rule.input, cases, i, output_view, r, shared)) {
      AddDiagnosis(std::move(d), &r.diagnosis);
    }
  }
  if (painter && !ignored.empty()) {
    painter->Hatch(ignored.in_common);
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
