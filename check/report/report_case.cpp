#include "report_case.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "case_pictures.h"
#include "html_text.h"
#include "report_marks.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

// Pictures are shown at one scale per case, so that the output, the
// reference and the difference line up: small ones enlarged by a whole
// factor (pixelated, so that single pixels show), others at their own size
// (the page shrinks them to its column), every pixel of the drawn picture
// kept; pictures above kLargestDrawnSide are drawn 1 pixel in `step`.
constexpr double kTargetSide = 360.0;

double ScaleFor(const CaseResult& r) {
  std::uint64_t side = 0;
  for (const auto& size : {r.output_size, r.reference_size}) {
    if (size) {
      side = std::max<std::uint64_t>({side, size->first, size->second});
    }
  }
  if (side == 0) {
    return 1.0;
  }
  const double fit = kTargetSide / static_cast<double>(side);
  return fit >= 1.0 ? std::floor(fit) : 1.0 / ReportStep(r);
}

// "240 × 160", or "" for no size.
std::string SizeAsHtmlText(const std::optional<Size>& size) {
  return size ? std::to_string(size->first) + " \u00d7 " + std::to_string(size->second) : "";
}

long long Drawn(std::uint64_t pixels, double scale) {
  return std::max(1LL, static_cast<long long>(std::lround(static_cast<double>(pixels) * scale)));
}

// Appends an <img> with its picture: the picture's base64 text is copied
// once, straight into the page; or, with a key, none, the page's script
// taking it from the shared pictures.
void Img(std::string* html, const std::string& base64, const char* role, const std::string& alt,
         long long w, long long h, const std::string& style = "", const std::string& key = "") {
  *html += "<img data-role=\"" + std::string(role) + "\" alt=\"" + EscapeHtml(alt) + "\" width=\"" +
           std::to_string(w) + "\" height=\"" + std::to_string(h) + "\"" +
           (style.empty() ? "" : " style=\"" + style + "\"");
  if (!key.empty()) {
    *html += " data-shared=\"" + key + "\">";
    return;
  }
  *html += " src=\"data:image/png;base64,";
  *html += base64;
  *html += "\">";
}

void Figure(std::string* html, const std::string& png, const char* role, const std::string& caption,
            const std::string& detail, std::uint64_t width, std::uint64_t height, double scale,
            const std::string& key = "") {
  *html += "<figure>";
  if (png.empty()) {
    *html += "<div class=\"none\">no picture</div>";
  } else {
    Img(html, png, role, caption + " " + detail, Drawn(width, scale), Drawn(height, scale), "",
        key);
  }
  *html += "<figcaption><b>" + EscapeHtml(caption) + "</b> " + EscapeHtml(detail) +
           "</figcaption></figure>\n";
}

// A length as a percentage of `whole`, for a style.
std::string Percent(double part, double whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f%%", 100.0 * part / whole);
  return text;
}

// The difference picture with its marks, drawn at `scale` display pixels a
// full-size pixel (the marks' coordinates are the full-size picture's,
// whatever step the picture was drawn with). The box keeps its shape when
// the page shrinks it, and the marks' SVG scales with it.
void MarkedDifference(std::string* html, const CasePictures& p, std::uint64_t width,
                      std::uint64_t height, double scale, const std::string& caption) {
  const long long w = Drawn(width, scale), h = Drawn(height, scale);
  const double bw = static_cast<double>(w + kGutter), bh = static_cast<double>(h + kGutter);
  *html += "<figure><div class=\"marked\" style=\"width:" + std::to_string(w + kGutter) +
           "px;aspect-ratio:" + std::to_string(w + kGutter) + "/" + std::to_string(h + kGutter) +
           "\">";
  Img(html, p.report_diff_png, "difference", "difference: " + caption, w, h,
      "left:" + Percent(kGutter, bw) + ";top:" + Percent(kGutter, bh) + ";width:" +
          Percent(static_cast<double>(w), bw) + ";height:" + Percent(static_cast<double>(h), bh));
  *html += "<svg viewBox=\"0 0 " + std::to_string(w + kGutter) + " " + std::to_string(h + kGutter) +
           "\" preserveAspectRatio=\"none\" aria-hidden=\"true\">" +
           MarksSvg(p.diff_marks, scale, w, h) + "</svg></div>";
  *html += "<figcaption><b>difference</b> " + EscapeHtml(caption) + "</figcaption></figure>\n";
}

std::string Figures(const CaseResult& r, const CasePictures& p) {
  const Comparison& c = r.comparison;
  std::string where = "-";
  if (p.diff_marks.largest != 0) {
    where = "(" + std::to_string(p.diff_marks.largest_x) + ", " +
            std::to_string(p.diff_marks.largest_y) + ")";
  }
  return "<div class=\"scroll\"><table class=\"figures\"><tr><th scope=\"col\">MAE</th><th "
         "scope=\"col\">largest "
         "difference</th><th scope=\"col\">at (x, y), top-left (0, 0)</th><th scope=\"col\">"
         "differing pixels</th><th scope=\"col\">compared pixels</th></tr>\n<tr><td>" +
         MaeText(r) + "</td><td>" + std::to_string(c.max_difference) + "</td><td>" + where +
         "</td><td>" + std::to_string(c.differing_pixels) + " (" +
         PercentText(c.differing_pixels, c.compared_pixels()) + ")</td><td>" +
         std::to_string(c.compared_pixels()) + "</td></tr></table></div>\n";
}

void Pictures(std::string* html, const CaseResult& r, const CasePictures& p,
              const PictureKeys& keys) {
  const double scale = ScaleFor(r);
  const Size out = r.output_size.value_or(Size{0, 0});
  const Size ref = r.reference_size.value_or(Size{0, 0});
  *html += "<div class=\"pictures\">\n";
  Figure(html, p.output_png, "output", "output",
         r.test_case.output + " (" + SizeAsHtmlText(r.output_size) + ")", out.first, out.second,
         scale, keys.output);
  Figure(html, p.reference_png, "reference", "reference",
         r.test_case.reference + " (" + SizeAsHtmlText(r.reference_size) + ")", ref.first,
         ref.second, scale, keys.reference);
  // The picture covers the whole common area, a border left out included.
  const Size common{std::min(out.first, ref.first), std::min(out.second, ref.second)};
  const bool framed = common.first != r.comparison.width || common.second != r.comparison.height;
  const std::string caption =
      std::string("grey: equal; in colour: different, by the legend's shades; red marks: where") +
      (framed ? "; blue-grey: the border left out" : "") + " (" + SizeAsHtmlText(common) + ")";
  if (!p.report_diff_png.empty()) {
    MarkedDifference(html, p, common.first, common.second, scale, caption);
  }
  if (!p.crop_output_png.empty() && !p.crop_reference_png.empty()) {
    const std::string at = "at (" + std::to_string(p.crop_x) + ", " + std::to_string(p.crop_y) +
                           ") of the compared area, every pixel";
    const std::uint64_t side = std::min<std::uint64_t>({kCropSide, common.first, common.second});
    Figure(html, p.crop_output_png, "crop-output", "output, around the largest difference", at,
           side, side, 1.0);
    Figure(html, p.crop_reference_png, "crop-reference", "reference, around the largest difference",
           at, side, side, 1.0);
  }
  *html += "</div>\n";
}

}  // namespace

void CaseSection(const CaseResult& r, const CasePictures& p, std::size_t index,
                 const PictureKeys& keys, std::string* out) {
  const char* verdict = VerdictWord(r.verdict);
  const bool pictures = !p.output_png.empty() && !p.reference_png.empty();
  std::string html =
      "<section class=\"case " + std::string(verdict) + "\" id=\"case-" + std::to_string(index) +
      "\" data-step=\"" + std::to_string(p.step) + "\" data-common-h=\"" +
      std::to_string(std::min(r.output_size.value_or(Size{0, 0}).second,
                              r.reference_size.value_or(Size{0, 0}).second)) +
      "\" data-crop-x=\"" + std::to_string(p.crop_x) + "\" data-crop-y=\"" +
      std::to_string(p.crop_y) + "\"" + (pictures ? " data-compare" : "") + ">\n<h2>" +
      EscapeHtml(r.test_case.name) + " <span class=\"verdict\">" + verdict + "</span></h2>\n";
  if (!r.diagnosis.empty()) {
    html += "<p class=\"diagnosis\"><b>What looks wrong:</b> ";
    for (std::size_t i = 0; i < r.diagnosis.size(); ++i) {
      html += (i == 0 ? "" : "; ") + EscapeHtml(r.diagnosis[i].text);
    }
    html += ".</p>\n";
  }
  if (!r.reason.empty()) {
    html += "<p class=\"reason\">" + EscapeHtml(r.reason) + "</p>\n";
  }
  if (!r.note.empty()) {
    html += "<p class=\"note\">Note: " + EscapeHtml(r.note) + "</p>\n";
  }
  if (r.verdict != Verdict::kError && r.comparison.has_figures()) {
    html += Figures(r, p);
  }
  *out += html;
  if (r.verdict != Verdict::kError && r.comparison.has_figures()) {
    Pictures(out, r, p, keys);
  }
  *out += "</section>\n";
}

}  // namespace mae::check
