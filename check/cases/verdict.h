// A case's verdict and the reason for it, from its comparison.
#ifndef MAE_CHECK_VERDICT_H
#define MAE_CHECK_VERDICT_H

#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

// Sets r->verdict and r->reason from r->comparison and the sizes: an error
// when a file cannot be used; a fail when the sizes differ, nothing is
// left to compare, the MAE is above the case's threshold or a byte differs
// by more than the rules allow; else a pass. Sets the case's threshold and
// points, and r->note when the output was found under another name or the
// two files' rows were read in different layouts.
void Judge(const CaseRules& rules, CaseResult* r);

const char* VerdictWord(Verdict verdict);

// "padded", "packed", "either"; null for RowLayout::kNone.
const char* LayoutWord(RowLayout layout);

// A size as the table and the reasons write it: "239x160".
std::string SizeAsPlainText(const Size& size);

}  // namespace mae::check

#endif  // MAE_CHECK_VERDICT_H
