// The PNG pictures of a case: its difference picture and, for the report,
// both whole pictures, drawn no larger than the report shows them, and
// full-resolution crops around the largest difference of large ones.
#ifndef MAE_CHECK_CASE_PICTURES_H
#define MAE_CHECK_CASE_PICTURES_H

#include <cstdint>
#include <string>

#include "case_result.h"
#include "picture.h"
#include "png.h"

// Pictures with a side longer than this are drawn scaled down to fit it.
constexpr std::uint32_t kLargestDrawnSide = 2048;
// The side of the full-resolution crops around a large case's largest
// difference.
constexpr std::uint32_t kCropSide = 256;

// The picture as PNG bytes (a difference picture with its palette);
// empty when it cannot be made, with the first such reason kept in
// r->picture_error.
std::string CasePng(const Picture& picture, CaseResult* r, bool difference = false);

// A part of the 24-bit picture at `path`, top-left origin, read row by row
// (the file is never held whole): every `step`th pixel of every `step`th
// row from (x, y), `width` x `height` pixels of the file. Empty when the
// file cannot be read as such.
Picture ReadPicture(const std::string& path, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                    std::uint32_t height, std::uint32_t step);

// The step a case's pictures are drawn with in the report: 1, or what
// scales the larger picture down to fit kLargestDrawnSide.
std::uint32_t ReportStep(const CaseResult& r);

// The report's pictures of a compared case come in three parts that may be
// made at once (each writes fields of its own): 0 the whole output, 1 the
// whole reference (both drawn with r->picture_step), 2 the difference
// picture as drawn and, for a scaled case with a difference, crops around
// the largest. Each is kept as the base64 text the page embeds; why one
// could not be made goes to *error.
constexpr int kReportPictureParts = 3;
void MakeReportPicture(CaseResult* r, int part, std::string* error);

#endif  // MAE_CHECK_CASE_PICTURES_H
