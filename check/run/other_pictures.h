// The diagnoses that compare a failing output with other pictures than its
// reference: another case's reference (matches_other_case) and the
// exercise's input (not_filtered).
#ifndef MAE_CHECK_OTHER_PICTURES_H
#define MAE_CHECK_OTHER_PICTURES_H

#include <cstddef>
#include <vector>

#include "case_result.h"
#include "case_rules.h"
#include "image_view.h"
#include "shared_pictures.h"

namespace mae::check {

// What case i's failing result `r`, its output read in place as `output`
// (mapped), has in common with the other cases' references and with its
// input picture (`input`, "" for none), all read through `shared`.
std::vector<Diagnosis> MatchOtherPictures(const std::string& input, const std::vector<Case>& cases,
                                          std::size_t i, const ImageView& output,
                                          const CaseResult& r, SharedPictures* shared);

}  // namespace mae::check

#endif  // MAE_CHECK_OTHER_PICTURES_H
