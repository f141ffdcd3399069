// A case's verdict and the reason for it, from its comparison.
#ifndef MAE_CHECK_VERDICT_H
#define MAE_CHECK_VERDICT_H

#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

// What a case's rules make of its facts.
struct Judgement {
  Verdict verdict = Verdict::kError;
  std::string reason;    // empty on pass
  std::string note;      // said whatever the verdict; may be empty
  double max_mae = 0.0;  // the threshold the case is held to
  double points = 1.0;   // what it is worth when it passes
  double earned = 0.0;   // points on pass, else 0
};

// The verdict and its reason from a case's facts (its test case, the
// comparison, what its files are and their sizes): an error when the case
// has a problem or a file cannot be used; a fail when the sizes differ,
// nothing is left to compare, the MAE is above the case's threshold or a
// byte differs by more than the rules allow; else a pass. With the case's
// threshold and points, and a note when the output was found under another
// name, is in another format, or the two files' rows were read in
// different layouts.
Judgement Judge(const CaseRules& rules, const CaseResult& facts);

const char* VerdictWord(Verdict verdict);

// "padded", "packed", "either"; null for RowLayout::kNone.
const char* LayoutWord(RowLayout layout);

// A size as the table and the reasons write it: "239x160".
std::string SizeAsPlainText(const Size& size);

}  // namespace mae::check

#endif  // MAE_CHECK_VERDICT_H
