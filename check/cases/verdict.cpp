#include "verdict.h"

#include <system_error>
#include <tuple>
#include <utility>

#include "metric_rules.h"
#include "summary.h"

namespace mae::check {

namespace {

std::string FileProblem(const char* role, const std::string& path, const FileOutcome& file,
                        const std::string& decode_error) {
  if (!decode_error.empty()) {
    return std::string(role) + " " + path + " " + decode_error;
  }
  if (file.status == BmpStatus::kCannotOpen) {
    // The system's words for it; strerror is not safe on the worker threads.
    return std::string(role) + " " + path + " cannot be opened: " +
           std::error_code(file.open_error, std::generic_category()).message();
  }
  return std::string(role) + " " + path + " " + FileStatusReason(file);
}

// Appends a reason or a note to those before it, "; " between them.
void AddReason(std::string* reasons, const std::string& reason) {
  if (!reasons->empty()) {
    *reasons += "; ";
  }
  *reasons += reason;
}

// "output rows packed, reference rows padded" where the layouts differ.
std::string LayoutNote(RowLayout out, RowLayout ref) {
  const bool differ = (out == RowLayout::kPacked && ref == RowLayout::kPadded) ||
                      (out == RowLayout::kPadded && ref == RowLayout::kPacked);
  if (!differ) {
    return {};
  }
  return std::string("output rows ") + LayoutWord(out) + ", reference rows " + LayoutWord(ref);
}

// The exercise's words for a case that passes or does not, after the
// case's own notes.
void AddMessage(const ExerciseCase& rule, Judgement* j) {
  const std::string& message = j->verdict == Verdict::kPass ? rule.pass_message : rule.fail_message;
  if (!message.empty()) {
    AddReason(&j->note, message);
  }
}

}  // namespace

std::string SizeAsPlainText(const Size& size) {
  return std::to_string(size.first) + "x" + std::to_string(size.second);
}

const char* LayoutWord(RowLayout layout) {
  switch (layout) {
    case RowLayout::kPadded:
      return "padded";
    case RowLayout::kPacked:
      return "packed";
    case RowLayout::kEither:
      return "either";
    case RowLayout::kNone:
      break;
  }
  return nullptr;
}

Judgement Judge(const CaseRules& rules, const CaseResult& facts) {
  Judgement j;
  const ExerciseCase rule = rules.RulesFor(facts.test_case.name);
  // A case ruled on by other figures alone holds any MAE, which is at most
  // 255; one with no rule at all passes only at 0.
  const double max_mae = rule.mae ? *rule.mae : rule.HasRule() ? 255.0 : 0.0;
  j.max_mae = max_mae;
  j.points = rule.points;
  if (!facts.test_case.problem.empty()) {
    j.reason = facts.test_case.problem;
    AddMessage(rule, &j);
    return j;
  }
  const Comparison& cmp = facts.comparison;
  j.note = facts.test_case.found_as.empty() ? "" : "found as " + facts.test_case.found_as;
  if (facts.test_case.is_reference) {
    AddReason(&j.note, "output is the reference itself");
  }
  const bool decoded = facts.output_kind.decoded() || facts.reference_kind.decoded();
  if (!decoded) {
    const std::string layout = LayoutNote(facts.output_layout, facts.reference_layout);
    if (!layout.empty()) {
      AddReason(&j.note, layout);
    }
  }
  std::string reasons;
  for (const auto& [role, kind, error] :
       {std::tuple<const char*, const FileKind*, const std::string*>{"output", &facts.output_kind,
                                                                     &facts.output_decode_error},
        {"reference", &facts.reference_kind, &facts.reference_decode_error}}) {
    if (!kind->decoded() || !error->empty()) {
      continue;
    }
    const std::string what =
        std::string(role) + " is " + ImageFormatWords(kind->format, kind->top_down);
    if (rule.strict && kind == &facts.output_kind) {
      AddReason(&reasons, what + "; --strict asks for 24-bit");
    } else {
      AddReason(&j.note, what + "; compared as 24-bit pixels");
    }
  }
  for (const auto& [role, file] :
       {std::pair<const char*, const FileOutcome*>{"output", &cmp.a}, {"reference", &cmp.b}}) {
    if (file->header.size_field_unpadded) {
      AddReason(&j.note, std::string(role) + " file-size field counts unpadded rows");
    }
  }
  if (cmp.a.status != BmpStatus::kOk || !facts.output_decode_error.empty()) {
    AddReason(&reasons,
              FileProblem("output", facts.test_case.output, cmp.a, facts.output_decode_error));
    if (cmp.a.status == BmpStatus::kCannotOpen && !facts.test_case.hint.empty()) {
      AddReason(&reasons, facts.test_case.hint);
    }
  }
  if (cmp.b.status != BmpStatus::kOk || !facts.reference_decode_error.empty()) {
    AddReason(&reasons, FileProblem("reference", facts.test_case.reference, cmp.b,
                                    facts.reference_decode_error));
  }
  const bool unreadable = cmp.a.status != BmpStatus::kOk || cmp.b.status != BmpStatus::kOk ||
                          !facts.output_decode_error.empty() ||
                          !facts.reference_decode_error.empty();
  if (unreadable || !cmp.has_figures()) {
    j.verdict = Verdict::kError;
    j.reason = reasons.empty() ? "the files could not be compared" : reasons;
    AddMessage(rule, &j);
    return j;
  }
  if (cmp.sizes_differ()) {
    AddReason(&reasons, "sizes differ: output " + SizeAsPlainText(*facts.output_size) +
                            ", reference " + SizeAsPlainText(*facts.reference_size));
  }
  if (cmp.emptied_by_border) {
    AddReason(&reasons, "nothing left inside the border");
  } else if (cmp.state == CompareState::kEmptyArea) {
    AddReason(&reasons, "nothing to compare: a width or height is 0");
  } else if (cmp.compared_pixels() == 0) {
    AddReason(&reasons, "nothing to compare: every pixel is in an ignored rectangle");
  } else {
    const int digits = DigitsToTell(cmp.mae(), max_mae);
    if (!(cmp.mae() <= max_mae)) {
      AddReason(&reasons, "MAE " + NumberText(cmp.mae(), digits) + " above " +
                              NumberText(max_mae, digits) + " (0–255 scale)");
    }
    if (rule.max_difference && cmp.max_difference > *rule.max_difference) {
      AddReason(&reasons, "largest difference " + std::to_string(cmp.max_difference) + " above " +
                              std::to_string(*rule.max_difference) + " (0–255 scale)");
    }
    const std::string metrics = MetricReasons(rule, facts);
    if (!metrics.empty()) {
      AddReason(&reasons, metrics);
    }
  }
  j.verdict = reasons.empty() ? Verdict::kPass : Verdict::kFail;
  j.reason = reasons;
  j.earned = j.verdict == Verdict::kPass ? j.points : 0.0;
  AddMessage(rule, &j);
  return j;
}

const char* VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::kPass:
      return "pass";
    case Verdict::kFail:
      return "fail";
    case Verdict::kError:
      break;
  }
  return "error";
}

}  // namespace mae::check
