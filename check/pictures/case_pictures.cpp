#include "case_pictures.h"

#include <algorithm>

#include "base64.h"
#include "bmp_file.h"
#include "row_reader.h"

namespace mae::check {

namespace {

// What every problem of a case's pictures starts with.
constexpr const char* kCannotMake = "cannot make a PNG picture: ";

std::uint32_t StepFor(std::uint64_t side) {
  return static_cast<std::uint32_t>((side + kLargestDrawnSide - 1) / kLargestDrawnSide);
}

}  // namespace

void CasePictures::Note(const Problem& problem) {
  if (problem && error.empty()) {
    error = problem.words();
  }
}

Problem CasePng(const Picture& picture, std::string* png, bool difference) {
  const Problem problem = difference ? EncodeDiffPng(picture, png) : EncodePng(picture, png);
  return problem.After(kCannotMake);
}

Picture ReadPicture(const BmpFile& file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                    std::uint32_t height, std::uint32_t step) {
  const BmpHeader& h = file.header();
  Picture picture;
  if (file.outcome().status != BmpStatus::kOk || h.bit_count != kComparedBitCount || step == 0 ||
      width == 0 || height == 0 || std::uint64_t{x} + width > h.width ||
      std::uint64_t{y} + height > h.height) {
    return picture;
  }
  RowReader rows(file, h.offset, h.stride);
  if (!rows.UseBuffer()) {
    return picture;
  }
  picture.width = (width + step - 1) / step;
  picture.height = (height + step - 1) / step;
  picture.rgb.resize(std::size_t{picture.width} * picture.height * kComparedPixelBytes);
  // A row is fetched in runs of whole steps of pixels that fit the reader's
  // buffer, each starting at a pixel the picture keeps; for a step wider
  // than the buffer, a pixel at a time.
  const std::uint64_t most = kRowChunkBytes / kComparedPixelBytes;
  const std::uint64_t run = step <= most ? most / step * step : 1;
  const std::uint64_t advance = step <= most ? run : step;
  for (std::uint32_t out_y = 0; out_y < picture.height; ++out_y) {
    // Picture rows run from the top; the file's from the bottom.
    const std::uint64_t file_row = h.height - 1 - (std::uint64_t{y} + std::uint64_t{out_y} * step);
    unsigned char* out = &picture.rgb[std::size_t{out_y} * picture.width * kComparedPixelBytes];
    for (std::uint64_t first = 0; first < width; first += advance) {
      const std::uint64_t n = std::min<std::uint64_t>(run, width - first);
      const unsigned char* in =
          rows.Fetch(RowChunk{file_row, 1, (x + first) * kComparedPixelBytes,
                              static_cast<std::size_t>(n * kComparedPixelBytes)});
      if (in == nullptr) {
        return Picture();
      }
      for (std::uint64_t k = 0; k < n; k += step, out += kComparedPixelBytes) {
        const unsigned char* pixel = in + k * kComparedPixelBytes;
        out[0] = pixel[2];  // BGR in the file, RGB in the picture
        out[1] = pixel[1];
        out[2] = pixel[0];
      }
    }
  }
  return picture;
}

std::uint32_t ReportStep(const CaseResult& r) {
  const Size out = r.output_size.value_or(Size{0, 0});
  const Size ref = r.reference_size.value_or(Size{0, 0});
  return StepFor(std::max({out.first, out.second, ref.first, ref.second}));
}

namespace {

// The PNG of a picture, as base64 text in *base64 ("" for an empty picture
// or a problem).
Problem Embedded(const Picture& picture, bool difference, std::string* base64,
                 bool smaller = false) {
  base64->clear();
  if (picture.empty()) {
    return Problem::None();
  }
  const PngEffort effort = smaller ? PngEffort::kSmall : PngEffort::kFast;
  std::string png;
  const Problem problem =
      difference ? EncodeDiffPng(picture, &png, effort) : EncodePng(picture, &png, effort);
  if (!problem) {
    *base64 = Base64(png);
  }
  return problem;
}

// Crops of both pictures around the largest difference, at full size; the
// later problem when both have one.
Problem MakeCrops(const CaseResult& r, const CaseFiles& files, CasePictures* p) {
  const Size out = r.output_size.value_or(Size{0, 0});
  const Size ref = r.reference_size.value_or(Size{0, 0});
  const DiffMarks& m = p->diff_marks;
  // The common area is both pictures' lower-left corner.
  const std::uint32_t common_w = std::min(out.first, ref.first);
  const std::uint32_t common_h = std::min(out.second, ref.second);
  const std::uint32_t w = std::min(kCropSide, common_w);
  const std::uint32_t h = std::min(kCropSide, common_h);
  const std::uint32_t x = std::min(common_w - w, m.largest_x - std::min(m.largest_x, w / 2));
  const std::uint32_t y = std::min(common_h - h, m.largest_y - std::min(m.largest_y, h / 2));
  p->crop_x = x;
  p->crop_y = y;
  const Problem output =
      Embedded(ReadPicture(*files.output, x, y + (out.second - common_h), w, h, 1), false,
               &p->crop_output_png);
  const Problem reference =
      Embedded(ReadPicture(*files.reference, x, y + (ref.second - common_h), w, h, 1), false,
               &p->crop_reference_png);
  return reference ? reference : output;
}

}  // namespace

Problem MakeWholeOutput(const CaseResult& r, const CaseFiles& files, CasePictures* p) {
  const Size out = r.output_size.value_or(Size{0, 0});
  return Embedded(ReadPicture(*files.output, 0, 0, out.first, out.second, p->step), false,
                  &p->output_png, p->smaller)
      .After(kCannotMake);
}

Problem WholeReferencePng(const CaseResult& r, const BmpFile& reference, std::uint32_t step,
                          bool smaller, std::string* base64) {
  const Size ref = r.reference_size.value_or(Size{0, 0});
  return Embedded(ReadPicture(reference, 0, 0, ref.first, ref.second, step), false, base64, smaller)
      .After(kCannotMake);
}

Problem MakeDrawnDifference(const CaseResult& r, const CaseFiles& files, CasePictures* p) {
  if (p->diff_picture.empty()) {
    return Problem::None();
  }
  const std::uint32_t step = p->step;
  Problem problem;
  if (step == 1 && !p->diff_png.empty()) {
    p->report_diff_png = Base64(p->diff_png);
  } else {
    problem =
        Embedded(step == 1 ? p->diff_picture : ShrinkKeepingDifferences(p->diff_picture, step),
                 true, &p->report_diff_png, p->smaller);
  }
  if (step > 1 && p->diff_marks.largest != 0) {
    const Problem crops = MakeCrops(r, files, p);
    if (crops) {
      problem = crops;
    }
  }
  return problem.After(kCannotMake);
}

}  // namespace mae::check
