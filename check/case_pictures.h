// The PNG pictures of a case: its difference picture and, for the report,
// both whole pictures.
#ifndef MAE_CHECK_CASE_PICTURES_H
#define MAE_CHECK_CASE_PICTURES_H

#include <string>

#include "case_result.h"
#include "picture.h"

// The picture as PNG bytes; empty when it cannot be made, with the first
// such reason kept in r->picture_error.
std::string CasePng(const Picture& picture, CaseResult* r);

// The whole 24-bit picture at `path` as PNG bytes, or empty when it cannot
// be read.
std::string WholePicturePng(const std::string& path, CaseResult* r);

#endif  // MAE_CHECK_CASE_PICTURES_H
