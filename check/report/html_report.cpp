#include "html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "html_text.h"
#include "picture.h"
#include "report_assets.h"
#include "report_case.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

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

std::string HtmlReport(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const CaseRules& rules) {
  const Counts summary = Summarise(results);
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
  std::size_t embedded = 0;
  for (const CasePictures& p : pictures) {
    embedded += p.output_png.size() + p.reference_png.size() + p.report_diff_png.size() +
                p.crop_output_png.size() + p.crop_reference_png.size();
  }
  html.reserve(html.size() + embedded + results.size() * 8192 + 65536);  // one allocation
  const CasePictures none;
  for (std::size_t i = 0; i < results.size(); ++i) {
    CaseSection(results[i], i < pictures.size() ? pictures[i] : none, i, &html);
  }
  html += "</main>\n";
  html += kReportScript;
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace mae::check
