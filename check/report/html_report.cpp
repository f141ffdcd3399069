#include "html_report.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "picture.h"
#include "report_assets.h"
#include "report_case.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace {

// The overview: a row per case, linking to its section.
std::string Overview(const std::vector<CaseResult>& results) {
  std::string html =
      "<table class=\"overview\">\n<caption>Every case at a glance</caption>\n<tr>"
      "<th scope=\"col\">case</th><th scope=\"col\">verdict</th><th scope=\"col\">MAE</th>"
      "<th scope=\"col\">largest difference</th><th scope=\"col\">differing pixels</th>"
      "<th scope=\"col\">reason</th></tr>\n";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const CaseResult& r = results[i];
    const Comparison& c = r.comparison;
    const bool figures = c.state == CompareState::kCompared;
    const char* verdict = VerdictWord(r.verdict);
    html += "<tr class=\"" + std::string(verdict) + "\"><th scope=\"row\"><a href=\"#case-" +
            std::to_string(i) + "\">" + EscapeHtml(r.test_case.name) +
            "</a></th><td class=\"verdict-cell\">" +
            (r.verdict == Verdict::kPass ? "pass" : std::string("\u2716 ") + verdict) +
            "</td><td class=\"n\">" + MaeText(r) + "</td><td class=\"n\">" +
            (figures ? std::to_string(c.max_difference) : "-") + "</td><td class=\"n\">" +
            (figures ? std::to_string(c.differing_pixels) : "-") + "</td><td>" +
            EscapeHtml(r.reason) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string Swatch(unsigned char r, unsigned char g, unsigned char b) {
  return "<span class=\"swatch\" style=\"background:rgb(" + std::to_string(r) + "," +
         std::to_string(g) + "," + std::to_string(b) + ")\"></span>";
}

// What the difference picture's shades and marks mean.
std::string Legend() {
  std::string html = "<p class=\"legend\"><b>Difference pictures:</b>";
  html += "<span>" + Swatch(200, 200, 200) + "equal (the reference, faded)</span>";
  const std::pair<unsigned, const char*> shades[] = {
      {1, "1"}, {4, "2\u20137"}, {16, "8\u201331"}, {100, "32\u2013255"}};
  for (const auto& [difference, words] : shades) {
    const unsigned char g = RedShade(difference);
    html += "<span>" + Swatch(255, g, g) + "differs by " + words + "</span>";
  }
  html += "<span>" + Swatch(kBorderRgb[0], kBorderRgb[1], kBorderRgb[2]) +
          "border left out</span><span>red ticks and outlines: the rows, columns and regions "
          "that differ, visible at any size</span><span>Click a picture to zoom.</span></p>\n";
  return html;
}

}  // namespace

std::string SizeAsHtmlText(const std::optional<Size>& size) {
  return size ? std::to_string(size->first) + " \u00d7 " + std::to_string(size->second) : "";
}

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
  // EVP_EncodeBlock writes one unbroken line and a terminating NUL; it takes
  // an int length, so longer input goes in pieces of whole 3-byte groups.
  constexpr std::size_t kPiece = std::size_t{3} << 28;
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  std::size_t written = 0;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const std::size_t n = std::min(kPiece, bytes.size() - at);
    written += static_cast<std::size_t>(EVP_EncodeBlock(
        reinterpret_cast<unsigned char*>(&text[written]),
        reinterpret_cast<const unsigned char*>(bytes.data() + at), static_cast<int>(n)));
  }
  text.resize(written);
  return text;
}

std::string HtmlReport(const std::vector<CaseResult>& results, const CaseRules& rules) {
  const Summary summary = Summarise(results);
  const std::string line = EscapeHtml(SummaryLine(results, rules));
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>mae-check: " +
      line + "</title>\n" + kReportStyle + "</head>\n<body>\n<main>\n" +
      "<h1>mae-check report</h1>\n<p class=\"summary\">" + line + " \u2014 " +
      std::to_string(summary.failed) + " failed, " + std::to_string(summary.errors) +
      " with errors. A case passes when its MAE is at most " +
      EscapeHtml(NumberText(rules.default_max, ThresholdDigits(results, rules.default_max))) +
      (rules.max_patterns.empty() ? "" : " (or its own threshold, where one is set)") + ".</p>\n" +
      Overview(results) + Legend();
  std::size_t pictures = 0;
  for (const CaseResult& r : results) {
    pictures += r.output_png.size() + r.reference_png.size() + r.report_diff_png.size() +
                r.crop_output_png.size() + r.crop_reference_png.size();
  }
  html.reserve(html.size() + pictures + results.size() * 8192 + 65536);  // one allocation
  for (std::size_t i = 0; i < results.size(); ++i) {
    CaseSection(results[i], i, &html);
  }
  html += "</main>\n";
  html += kReportScript;
  html += "</body>\n</html>\n";
  return html;
}
