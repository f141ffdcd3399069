// The PNG pictures of a case: its difference picture and, for the report,
// both whole pictures, drawn no larger than the report shows them, and
// full-resolution crops around the largest difference of large ones.
#ifndef MAE_CHECK_CASE_PICTURES_H
#define MAE_CHECK_CASE_PICTURES_H

#include <cstdint>
#include <string>

#include "bmp_file.h"
#include "case_result.h"
#include "picture.h"
#include "png.h"
#include "problem.h"

namespace mae::check {

// Pictures with a side longer than this are drawn scaled down to fit it.
constexpr std::uint32_t kLargestDrawnSide = 2048;
// The side of the full-resolution crops around a large case's largest
// difference.
constexpr std::uint32_t kCropSide = 256;

// The pictures of one case, when asked for, owned apart from its result:
// the difference picture of the compared area as PNG bytes (for --diff),
// and for the report (as base64 text) both whole pictures, the difference
// picture as drawn and the crops.
struct CasePictures {
  std::string diff_png;  // full size, for --diff
  std::string output_png;
  std::string reference_png;
  std::uint64_t reference_hash = 0;  // FNV-1a of reference_png's text, when made
  std::string report_diff_png;       // as the report draws it
  std::string error;                 // why a picture asked for could not be made: the first problem
  Picture diff_picture;              // the difference picture itself, when kept
  DiffMarks diff_marks;              // where it differs, with the pictures
  // 1, or the step the pictures were scaled down by to fit
  // kLargestDrawnSide; then full-resolution crops of both pictures around
  // the largest difference, from (crop_x, crop_y) of the common area.
  std::uint32_t step = 1;
  bool smaller = false;  // PNGs compressed harder, for a class's kept pages
  std::string crop_output_png;
  std::string crop_reference_png;
  std::uint32_t crop_x = 0;
  std::uint32_t crop_y = 0;

  // Keeps the words of `problem` in `error`, when it is the first.
  void Note(const Problem& problem);
};

// The picture as PNG bytes in *png (a difference picture with its
// palette), or "cannot make a PNG picture: WHY" (*png untouched).
[[nodiscard]] Problem CasePng(const Picture& picture, std::string* png, bool difference = false);

// A part of the open 24-bit picture `file`, top-left origin, read row by
// row through the row reader (the file is never held whole): every
// `step`th pixel of every `step`th row from (x, y), `width` x `height`
// pixels of the file. Empty when the file cannot be read as such.
Picture ReadPicture(const BmpFile& file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                    std::uint32_t height, std::uint32_t step);

// The step a case's pictures are drawn with in the report: 1, or what
// scales the larger picture down to fit kLargestDrawnSide.
std::uint32_t ReportStep(const CaseResult& r);

// The two open files a case's pictures are read from.
struct CaseFiles {
  const BmpFile* output;
  const BmpFile* reference;
};

// The report's pictures of a compared case, each kept as the base64 text
// the page embeds; each returns why one could not be made ("cannot make a
// PNG picture: WHY"). The two makers write fields of their own: the whole
// output (drawn with p->step), and the difference picture as drawn with,
// for a scaled case with a difference, crops around the largest. The whole
// reference is the same for every student: a run makes it once, with
// WholeReferencePng, into *base64.
[[nodiscard]] Problem MakeWholeOutput(const CaseResult& r, const CaseFiles& files, CasePictures* p);
[[nodiscard]] Problem MakeDrawnDifference(const CaseResult& r, const CaseFiles& files,
                                          CasePictures* p);
[[nodiscard]] Problem WholeReferencePng(const CaseResult& r, const BmpFile& reference,
                                        std::uint32_t step, bool smaller, std::string* base64);

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_PICTURES_H
