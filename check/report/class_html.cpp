#include "class_html.h"

#include <cstdint>
#include <cstdio>

#include "class_reports.h"
#include "diagnosis.h"
#include "html_report.h"
#include "html_text.h"
#include "report_assets.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

std::string CellClass(const CaseResult& r) {
  const std::string mark = Mark(r);
  return mark == "-" ? "none" : VerdictWord(r.verdict);
}

std::string StudentRow(const StudentResult& s, bool links) {
  std::string name = EscapeHtml(s.student.name);
  if (links && s.student.Submitted()) {
    name = "<a href=\"students/" + PercentEncoded(s.student.file_name) + ".html\">" + name + "</a>";
  }
  if (!s.student.on_roster) {
    name += " <span class=\"roster\">(not on the roster)</span>";
  }
  std::string row = "<tr><th scope=\"row\">" + name + "</th><td>" + SixDigits(s.score) + "/" +
                    SixDigits(s.max_score) + "</td>";
  const std::string page = "students/" + PercentEncoded(s.student.file_name) + ".html";
  for (std::size_t i = 0; i < s.cases.size(); ++i) {
    const CaseResult& c = s.cases[i];
    const std::string title = c.reason.empty() ? VerdictWord(c.verdict) : c.reason;
    // The mark, and what looks wrong in words; with the students' pages, a
    // link to the case's section.
    std::string cell = Mark(c);
    if (links && s.student.Submitted()) {
      cell = "<a href=\"" + page + "#case-" + std::to_string(i) + "\">" + cell + "</a>";
    }
    for (const Diagnosis& d : c.diagnosis) {
      const DiagnosisWords* words = DiagnosisFor(d.code);
      cell += "<br><span class=\"mistake\">" +
              EscapeHtml(words != nullptr ? words->brief : d.text) + "</span>";
    }
    row +=
        "<td class=\"" + CellClass(c) + "\" title=\"" + EscapeHtml(title) + "\">" + cell + "</td>";
  }
  return row + "</tr>\n";
}

}  // namespace

std::string PercentEncoded(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
      out += ch;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", byte);
      out += hex;
    }
  }
  return out;
}

namespace {

// When a case passes, as the page's first line says it.
std::string RuleWords(const CaseRules& rules) {
  if (rules.exercise) {
    const std::string& title = rules.exercise->title;
    return "it keeps every rule of its case in " + (title.empty()
                                                        ? std::string("the exercise file")
                                                        : "\u201c" + EscapeHtml(title) + "\u201d");
  }
  return "its MAE is at most " + EscapeHtml(SixDigits(rules.default_max)) +
         (rules.max_patterns.empty() ? "" : " (or its own threshold)") +
         (rules.border == 0 ? "" : ", a border of " + std::to_string(rules.border) + " left out");
}

}  // namespace

std::string ClassOverviewHtml(const std::vector<StudentResult>& students,
                              const ClassGroups& class_groups, const CaseRules& rules, bool links) {
  const std::vector<CaseSummary> cases = SummariseCases(students);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>mae-check: class of " +
      std::to_string(students.size()) + "</title>\n" + ClassStyle() +
      "</head>\n<body>\n<h1>mae-check: class of " + std::to_string(students.size()) +
      "</h1>\n<p>A case passes (P) when " + RuleWords(rules) +
      "; F fails, E has an error, - was not handed in.</p>\n<div class=\"scroll\"><table>\n"
      "<caption>Students and their cases</caption>\n<tr><th scope=\"col\">student</th>"
      "<th scope=\"col\">score</th>";
  for (const CaseSummary& c : cases) {
    html += "<th scope=\"col\">" + EscapeHtml(c.name) + "</th>";
  }
  html += "</tr>\n";
  for (const StudentResult& s : students) {
    html += StudentRow(s, links);
  }
  html += "<tr><th scope=\"row\">pass rate</th><td></td>";
  for (const CaseSummary& c : cases) {
    char rate[16];
    std::snprintf(rate, sizeof rate, "%.0f%%", 100.0 * c.pass_rate);
    html += std::string("<td>") + rate + "</td>";
  }
  html += "</tr>\n</table></div>\n";
  const std::vector<IdenticalGroup>& groups = class_groups.identical;
  if (!groups.empty()) {
    html += "<h2>Identical outputs that do not pass</h2>\n<ul>\n";
    for (const IdenticalGroup& g : groups) {
      std::string names;
      for (const std::string& name : g.students) {
        names += (names.empty() ? "" : ", ") + EscapeHtml(name);
      }
      html += "<li>" + EscapeHtml(g.case_name) + ": identical to each other: " + names + "</li>\n";
    }
    html += "</ul>\n";
  }
  return html + "</body>\n</html>\n";
}

}  // namespace mae::check
