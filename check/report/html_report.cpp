#include "html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "fnv1a.h"
#include "html_text.h"
#include "metric_text.h"
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
      "<div class=\"scroll\"><table class=\"overview\">\n<caption>Every case at a "
      "glance</caption>\n<tr>"
      "<th scope=\"col\">case</th><th scope=\"col\">verdict</th><th scope=\"col\">MAE</th>";
  const MetricSet metrics = results.empty() ? MetricSet() : results[0].metrics;
  for (const std::string& head : MetricHeads(metrics)) {
    html += "<th scope=\"col\">" + head + "</th>";
  }
  html +=
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
            "</td><td class=\"n\">" + MaeText(r) + "</td><td class=\"n\">";
    for (const std::string& cell : MetricCells(r, metrics)) {
      html += cell + "</td><td class=\"n\">";
    }
    html += (figures ? std::to_string(c.max_difference) : "-") + "</td><td class=\"n\">" +
            (figures ? std::to_string(c.differing_pixels) : "-") + "</td><td>" +
            EscapeHtml(r.reason) + "</td></tr>\n";
  }
  return html + "</table></div>\n";
}

std::string Swatch(unsigned char r, unsigned char g, unsigned char b) {
  return "<span class=\"swatch\" style=\"background:rgb(" + std::to_string(r) + "," +
         std::to_string(g) + "," + std::to_string(b) + ")\"></span>";
}

// The difference scale for the page's script: each colour, as "R,G,B",
// with the largest difference it shows: "255,237,160:1 ...".
std::string ScaleData() {
  std::string data;
  for (int level = 0; level < kDiffLevels; ++level) {
    const unsigned char* c = DiffColour(level);
    data += (level == 0 ? "" : " ") + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," +
            std::to_string(c[2]) + ":" + std::to_string(LevelTop(level));
  }
  return data;
}

// What the difference picture's shades and marks mean.
std::string Legend(const std::vector<CaseResult>& results) {
  std::string html =
      "<p class=\"legend\" data-scale=\"" + ScaleData() + "\"><b>Difference pictures:</b>";
  html += "<span>" + Swatch(200, 200, 200) + "equal (the reference, faded)</span>";
  // Each range shown by the colour of a difference inside it.
  const std::pair<unsigned, const char*> shades[] = {
      {1, "1"}, {4, "2\u20137"}, {16, "8\u201331"}, {64, "32\u2013127"}, {181, "128\u2013255"}};
  for (const auto& [difference, words] : shades) {
    const unsigned char* c = DiffColour(DiffLevel(difference));
    html += "<span>" + Swatch(c[0], c[1], c[2]) + "differs by " + words + "</span>";
  }
  html += "<span>" + Swatch(kBorderRgb[0], kBorderRgb[1], kBorderRgb[2]) + "border left out</span>";
  const bool ignored = std::any_of(results.begin(), results.end(), [](const CaseResult& r) {
    return r.comparison.ignored_pixels != 0;
  });
  if (ignored) {
    html += "<span>grey stripes: ignored rectangles, not compared</span>";
  }
  html +=
      "<span>red ticks and outlines: the rows, columns and regions "
      "that differ, visible at any size</span><span>Click a picture to zoom.</span></p>\n";
  return html;
}

}  // namespace

std::string SharedPictureScript(const SharedPicture& picture) {
  std::string text = "(window.maeShared = window.maeShared || {})[\"" + picture.key +
                     "\"] = \"data:image/png;base64,";
  text.reserve(text.size() + picture.base64->size() + 4);
  text += *picture.base64;
  return text + "\";\n";
}

std::string HtmlReport(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const CaseRules& rules,
                       const StudentPage* student, std::vector<SharedPicture>* shared) {
  const Counts summary = Summarise(results);
  const std::string line = EscapeHtml(SummaryLine(results, rules));
  // The pictures taken from the shared folder, a key each: the references,
  // and outputs drawn exactly as their reference.
  std::vector<PictureKeys> keys(pictures.size());
  std::string head_scripts;
  if (student != nullptr && shared != nullptr) {
    const auto add = [&](const std::string& base64, std::uint64_t hash) {
      char key[24];
      std::snprintf(key, sizeof key, "p%016llx", static_cast<unsigned long long>(hash));
      const bool known = std::any_of(shared->begin(), shared->end(),
                                     [&](const SharedPicture& s) { return s.key == key; });
      if (!known) {
        shared->push_back({key, &base64});
        head_scripts +=
            "<script src=\"" + EscapeHtml(student->shared_folder) + "/" + key + ".js\"></script>\n";
      }
      return std::string(key);
    };
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      const CasePictures& p = pictures[i];
      if (!p.reference_png.empty()) {
        keys[i].reference =
            add(p.reference_png, p.reference_hash != 0 ? p.reference_hash : Fnv1a(p.reference_png));
        if (p.output_png == p.reference_png) {
          keys[i].output = keys[i].reference;
        }
      }
    }
  }
  const std::string name = student != nullptr ? EscapeHtml(student->student) : "";
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>" +
      (student != nullptr ? name + " \u2014 " : std::string()) + "mae-check: " + line +
      "</title>\n" + ReportStyle() + head_scripts + "</head>\n<body>\n<main>\n";
  if (student != nullptr) {
    html += "<p class=\"back\"><a href=\"" + EscapeHtml(student->index_link) +
            "\">\u2190 every student</a></p>\n<h1>" + name + " \u2014 mae-check report</h1>\n";
  } else {
    const std::string title =
        rules.exercise && !rules.exercise->title.empty() ? rules.exercise->title + " \u2014 " : "";
    html += "<h1>" + EscapeHtml(title) + "mae-check report</h1>\n";
  }
  const std::string rule_words =
      rules.exercise
          ? "A case passes when it keeps every rule its exercise gives it"
          : "A case passes when its MAE is at most " +
                EscapeHtml(
                    NumberText(rules.default_max, ThresholdDigits(results, rules.default_max))) +
                (rules.max_patterns.empty() ? "" : " (or its own threshold, where one is set)");
  html += "<p class=\"summary\">" + line + " \u2014 " + std::to_string(summary.failed) +
          " failed, " + std::to_string(summary.errors) + " with errors. " + rule_words + ".</p>\n" +
          Overview(results) + Legend(results);
  std::size_t embedded = 0;
  for (const CasePictures& p : pictures) {
    embedded += p.output_png.size() + p.reference_png.size() + p.report_diff_png.size() +
                p.crop_output_png.size() + p.crop_reference_png.size();
  }
  html.reserve(html.size() + embedded + results.size() * 8192 + 65536);  // one allocation
  const CasePictures none;
  for (std::size_t i = 0; i < results.size(); ++i) {
    CaseSection(results[i], i < pictures.size() ? pictures[i] : none, i,
                i < keys.size() ? keys[i] : PictureKeys(), &html);
  }
  html += "</main>\n";
  html += ReportScript();
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace mae::check
