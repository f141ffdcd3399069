#include "html_report.h"

#include <sodium.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace {

// Pictures are shown at one scale per case, so that the output, the
// reference and the difference line up: small ones enlarged by a whole
// factor (pixelated, so that single pixels show), large ones shrunk.
constexpr double kTargetSide = 320.0;

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
  return fit >= 1.0 ? std::floor(fit) : fit;
}

std::string Figure(const std::string& png, const char* caption, const std::string& detail,
                   std::uint64_t width, std::uint64_t height, double scale) {
  std::string html = "<figure>";
  if (png.empty()) {
    html += "<div class=\"none\">no picture</div>";
  } else {
    const auto w = static_cast<long long>(std::lround(static_cast<double>(width) * scale));
    const auto h = static_cast<long long>(std::lround(static_cast<double>(height) * scale));
    html += "<img alt=\"" + std::string(caption) + "\" width=\"" +
            std::to_string(std::max(w, 1LL)) + "\" height=\"" + std::to_string(std::max(h, 1LL)) +
            "\" src=\"data:image/png;base64," + Base64(png) + "\">";
  }
  html += "<figcaption><b>" + std::string(caption) + "</b> " + EscapeHtml(detail) +
          "</figcaption></figure>\n";
  return html;
}

std::string SizeAsHtmlText(const std::optional<Size>& size) {
  return size ? std::to_string(size->first) + " × " + std::to_string(size->second) : "";
}

std::string CaseSection(const CaseResult& r) {
  const Comparison& c = r.comparison;
  const char* verdict = VerdictWord(r.verdict);
  std::string html = std::string("<section class=\"case ") + verdict + "\">\n<h2>" +
                     EscapeHtml(r.test_case.name) + " <span class=\"verdict\">" + verdict +
                     "</span></h2>\n";
  if (!r.reason.empty()) {
    html += "<p class=\"reason\">" + EscapeHtml(r.reason) + "</p>\n";
  }
  if (!r.note.empty()) {
    html += "<p class=\"note\">Note: " + EscapeHtml(r.note) + "</p>\n";
  }
  if (r.verdict == Verdict::kError) {
    return html + "</section>\n";
  }
  html +=
      "<table class=\"figures\"><tr><th>MAE</th><th>largest difference</th>"
      "<th>differing pixels</th><th>compared pixels</th></tr>\n<tr><td>" +
      MaeText(r) + "</td><td>" + std::to_string(c.max_difference) + "</td><td>" +
      std::to_string(c.differing_pixels) + " (" +
      PercentText(c.differing_pixels, c.compared_pixels()) + ")</td><td>" +
      std::to_string(c.compared_pixels()) + "</td></tr></table>\n<div class=\"pictures\">\n";
  const double scale = ScaleFor(r);
  const Size out = r.output_size.value_or(Size{0, 0});
  const Size ref = r.reference_size.value_or(Size{0, 0});
  html += Figure(r.output_png, "output",
                 r.test_case.output + " (" + SizeAsHtmlText(r.output_size) + ")", out.first,
                 out.second, scale);
  html += Figure(r.reference_png, "reference",
                 r.test_case.reference + " (" + SizeAsHtmlText(r.reference_size) + ")", ref.first,
                 ref.second, scale);
  // The picture covers the whole common area, a border left out included.
  const Size common{std::min(out.first, ref.first), std::min(out.second, ref.second)};
  const bool framed = common.first != c.width || common.second != c.height;
  html += Figure(r.diff_png, "difference",
                 std::string("grey: equal; red: different") +
                     (framed ? "; blue-grey: the border left out" : "") + " (" +
                     SizeAsHtmlText(common) + ")",
                 common.first, common.second, scale);
  return html + "</div>\n</section>\n";
}

const char kStyle[] = R"(<style>
body { font: 15px/1.4 system-ui, sans-serif; margin: 2em; color: #222; background: #fff; }
h1 { font-size: 1.5em; margin: 0 0 .3em; }
.summary { font-size: 1.15em; margin: 0 0 1.5em; }
.case { border: 1px solid #ccc; border-left: 8px solid #999; margin: 0 0 1.5em; padding: .6em 1em; }
.case.pass { border-left-color: #2e7d32; }
.case.fail { border-left-color: #c62828; }
.case.error { border-left-color: #ef6c00; }
h2 { font-size: 1.2em; margin: .2em 0 .4em; }
.verdict { font-size: .8em; padding: .1em .6em; border-radius: .8em; color: #fff; vertical-align: middle; }
.pass .verdict { background: #2e7d32; }
.fail .verdict { background: #c62828; }
.error .verdict { background: #ef6c00; }
.reason { margin: .2em 0 .6em; }
.note { margin: .2em 0 .6em; color: #555; }
.figures { border-collapse: collapse; margin: 0 0 .8em; }
.figures th, .figures td { border: 1px solid #ddd; padding: .2em .7em; text-align: right; }
.figures th { background: #f4f4f4; font-weight: 600; }
.pictures { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
figure { margin: 0; display: table; }
figure img { display: block; image-rendering: pixelated; border: 1px solid #ddd; }
figcaption { display: table-caption; caption-side: bottom; font-size: .85em; overflow-wrap: anywhere; }
.none { width: 160px; height: 60px; border: 1px dashed #bbb; color: #888; display: flex; align-items: center; justify-content: center; }
</style>
)";

}  // namespace

std::string EscapeHtml(const std::string& raw) {
  const std::string text = Normalised(raw);
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

std::string Base64(const std::string& bytes) {
  const std::size_t size = sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  std::string text(size, '\0');
  sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                    bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  text.resize(size - 1);  // the encoder's terminating NUL
  return text;
}

std::string HtmlReport(const std::vector<CaseResult>& results, const CaseRules& rules) {
  const Summary summary = Summarise(results);
  const std::string line = EscapeHtml(SummaryLine(results, rules));
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>mae-check: " +
      line + "</title>\n" + kStyle + "</head>\n<body>\n" +
      "<h1>mae-check report</h1>\n<p class=\"summary\">" + line + " — " +
      std::to_string(summary.failed) + " failed, " + std::to_string(summary.errors) +
      " with errors. A case passes when its MAE is at most " +
      EscapeHtml(NumberText(rules.default_max, ThresholdDigits(results, rules.default_max))) +
      (rules.max_patterns.empty() ? "" : " (or its own threshold, where one is set)") + ".</p>\n";
  for (const CaseResult& r : results) {
    html += CaseSection(r);
  }
  return html + "</body>\n</html>\n";
}
