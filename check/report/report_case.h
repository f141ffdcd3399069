// One case's section of the HTML report.
#ifndef MAE_CHECK_REPORT_CASE_H
#define MAE_CHECK_REPORT_CASE_H

#include <cstddef>
#include <string>

#include "case_pictures.h"
#include "case_result.h"

namespace mae::check {

// The section of case `index` (its anchor is "case-INDEX"): heading and
// verdict, reason and note, figures with the place of the largest
// difference, the output, the reference and the difference picture with
// red marks at the rows, columns and regions that differ, and crops at
// full resolution when the pictures are drawn scaled down.
// Appended to *html, so that the pictures' text is copied only once.
// `output_key` and `reference_key`, where not empty, name the shared
// pictures the page's script draws in place of embedding them.
struct PictureKeys {
  std::string output;
  std::string reference;
};
void CaseSection(const CaseResult& r, const CasePictures& pictures, std::size_t index,
                 const PictureKeys& keys, std::string* html);

}  // namespace mae::check

#endif  // MAE_CHECK_REPORT_CASE_H
