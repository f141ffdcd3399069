// A case's verdict and the reason for it, from its comparison.
#ifndef MAE_CHECK_VERDICT_H
#define MAE_CHECK_VERDICT_H

#include "case_result.h"

// Sets r->verdict and r->reason from r->comparison and the sizes: an error
// when a file cannot be used, a fail when the sizes differ, the area is
// empty or the MAE is above `max_mae`, else a pass. Sets r->note when the
// two files' rows were read in different layouts.
void Judge(double max_mae, CaseResult* r);

const char* VerdictWord(Verdict verdict);

// "padded", "packed", "either"; null for RowLayout::kNone.
const char* LayoutWord(RowLayout layout);

// A size as the table and the reasons write it: "239x160".
std::string SizeAsPlainText(const Size& size);

#endif  // MAE_CHECK_VERDICT_H
