#include "class_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "diagnosis.h"
#include "json_report.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  const std::string pad(width - std::min(width, ShownWidth(text)), ' ');
  return right ? pad + text : text + pad;
}

std::string Score(const StudentResult& s) {
  return SixDigits(s.score) + "/" + SixDigits(s.max_score);
}

// "B1" for Blur1: the first letter and the number, for a column header.
std::string Abbreviation(const std::string& name) {
  const std::size_t digits = name.find_last_not_of("0123456789") + 1;
  return name.substr(0, 1) + name.substr(digits);
}

std::string CsvField(std::string text) {
  text = Normalised(text);
  if (!text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) {
    text.insert(0, "'");  // a spreadsheet would run it as a formula
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (const char ch : text) {
    quoted += ch == '"' ? "\"\"" : std::string(1, ch);
  }
  return quoted + "\"";
}

}  // namespace

const char* Mark(const CaseResult& r) {
  if (NothingHandedIn(r.test_case)) {
    return "-";
  }
  return r.verdict == Verdict::kPass ? "P" : r.verdict == Verdict::kFail ? "F" : "E";
}

std::string ShortestText(double value) {
  char text[32];
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);  // whole numbers as such: 10, not 1e+01
    return text;
  }
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) {
      break;
    }
  }
  return text;
}

namespace {

// A line per student: name, score and a mark per case.
// A student's most common diagnosis over the cases, as the table's column
// says it: "rows upside down ×5"; the first in case order on a tie; "" for
// none.
std::string MostCommonMistake(const StudentResult& s) {
  std::vector<std::pair<std::string, int>> counts;  // in order of first appearance
  for (const CaseResult& c : s.cases) {
    for (const Diagnosis& d : c.diagnosis) {
      const auto it = std::find_if(counts.begin(), counts.end(),
                                   [&d](const auto& entry) { return entry.first == d.code; });
      if (it == counts.end()) {
        counts.emplace_back(d.code, 1);
      } else {
        ++it->second;
      }
    }
  }
  const auto most =
      std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;  // the first of the largest wins
      });
  if (most == counts.end()) {
    return {};
  }
  const DiagnosisWords* words = DiagnosisFor(most->first);
  return std::string(words != nullptr ? words->brief : most->first.c_str()) + " \u00d7" +
         std::to_string(most->second);
}

std::string StudentLines(const std::vector<StudentResult>& students,
                         const std::vector<CaseSummary>& cases) {
  std::size_t name_width = 7;     // "student"
  std::size_t mistake_width = 0;  // no column when no student has a diagnosis
  for (const StudentResult& s : students) {
    name_width = std::max(name_width, ShownWidth(Shown(s.student.name)));
    mistake_width = std::max(mistake_width, ShownWidth(MostCommonMistake(s)));
  }
  if (mistake_width > 0) {
    mistake_width = std::max(mistake_width, ShownWidth("most common mistake"));
  }
  std::string text = Padded("student", name_width, false) + "  score ";
  for (const CaseSummary& c : cases) {
    text += " " + Padded(Abbreviation(c.name), 2, false);
  }
  if (mistake_width > 0) {
    text += " most common mistake";
  }
  text += "\n";
  for (const StudentResult& s : students) {
    std::string line =
        Padded(Shown(s.student.name), name_width, false) + "  " + Padded(Score(s), 5, true) + " ";
    for (const CaseResult& c : s.cases) {
      line += " " + Padded(Mark(c), 2, false);
    }
    if (mistake_width > 0) {
      line += Padded(MostCommonMistake(s), mistake_width, false) + " ";
    }
    if (!s.student.on_roster) {
      line += " not on the roster";
    }
    if (s.student.handed == Student::Handed::kLinkedFolder) {
      line += " linked folder, not graded";
    } else if (s.student.handed == Student::Handed::kEmpty) {
      line += " empty submission";
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

// "ann, ben, cat: Blur1, Blur3"
std::string GroupText(const HandInGroup& g) {
  std::string text;
  for (const std::string& name : g.students) {
    text += (text.empty() ? "" : ", ") + Shown(name);
  }
  text += ":";
  for (const std::string& name : g.cases) {
    text += (name == g.cases[0] ? " " : ", ") + name;
  }
  return text;
}

// A line per case: its pass rate and median MAE; then the groups of
// identical failing outputs, copies first, then shared mistakes.
std::string CaseLines(const std::vector<CaseSummary>& cases,
                      const std::vector<HandInGroup>& groups) {
  std::string text = "\ncase    pass rate  median MAE\n";
  for (const CaseSummary& c : cases) {
    char rate[16];
    std::snprintf(rate, sizeof rate, "%.3g", c.pass_rate);
    text += Padded(c.name, 6, false) + "  " + Padded(rate, 9, true) + "  " +
            Padded(c.median_mae ? SixDigits(*c.median_mae) : "-", 10, true) + "\n";
  }
  for (const bool known : {false, true}) {
    for (const HandInGroup& g : groups) {
      if (g.known_mistake == known) {
        text += std::string(known ? "same known mistake: " : "identical hand-ins: ") +
                GroupText(g) + "\n";
      }
    }
  }
  return text;
}

}  // namespace

std::string ClassText(const std::vector<StudentResult>& students, const CaseRules& rules) {
  const std::vector<CaseSummary> cases = SummariseCases(students);
  const std::vector<HandInGroup> groups = HandInGroups(students);
  std::string text = StudentLines(students, cases) + CaseLines(cases, groups);
  std::vector<CaseResult> all;
  for (const StudentResult& s : students) {
    all.insert(all.end(), s.cases.begin(), s.cases.end());
  }
  // The rules as the one-folder summary says them: "MAE at most 0.5, ...".
  const std::string line = SummaryLine(all, rules);
  const std::string threshold = line.substr(line.find('(') + 1, line.size() - line.find('(') - 2);
  const CaseSummary* weakest = Weakest(cases);
  if (weakest == nullptr) {
    return text + "Every case of every student passes (" + threshold + ")\n";
  }
  const auto copies = static_cast<std::size_t>(std::count_if(
      groups.begin(), groups.end(), [](const HandInGroup& g) { return !g.known_mistake; }));
  if (copies > 0) {
    text +=
        std::to_string(copies) + (copies == 1 ? " group" : " groups") + " of identical hand-ins. ";
  }
  return text + "Lowest pass rate: " + weakest->name + ", " +
         std::to_string(weakest->counts.passed) + " of " + std::to_string(students.size()) +
         " students pass (" + threshold + ")\n";
}

std::string ClassJson(const std::vector<StudentResult>& students, const CaseRules& rules) {
  Json doc;
  doc["version"] = kJsonVersion;
  doc["max"] = rules.default_max;
  AddRulesJson(rules, &doc);
  doc["students"] = Json::array();
  for (const StudentResult& s : students) {
    Json j;
    j["name"] = Normalised(s.student.name);
    j["on_roster"] = s.student.on_roster;
    j["submitted"] = s.student.Submitted();
    j["score"] = s.score;
    j["max_score"] = s.max_score;
    j["passed"] = s.counts.passed;
    j["failed"] = s.counts.failed;
    j["errors"] = s.counts.errors;
    j["cases"] = Json::array();
    for (std::size_t i = 0; i < s.cases.size(); ++i) {
      j["cases"].push_back(CaseJson(s.cases[i], i < s.diff_paths.size() ? s.diff_paths[i] : ""));
    }
    doc["students"].push_back(std::move(j));
  }
  doc["identical_groups"] = Json::array();
  for (const IdenticalGroup& g : IdenticalGroups(students)) {
    Json names = Json::array();
    for (const std::string& name : g.students) {
      names.push_back(Normalised(name));
    }
    doc["identical_groups"].push_back(Json{{"case", g.case_name}, {"students", names}});
  }
  doc["identical_hand_ins"] = Json::array();
  doc["same_known_mistakes"] = Json::array();
  for (const HandInGroup& g : HandInGroups(students)) {
    Json names = Json::array();
    for (const std::string& name : g.students) {
      names.push_back(Normalised(name));
    }
    doc[g.known_mistake ? "same_known_mistakes" : "identical_hand_ins"].push_back(
        Json{{"students", names}, {"cases", g.cases}});
  }
  doc["case_summary"] = Json::array();
  for (const CaseSummary& c : SummariseCases(students)) {
    doc["case_summary"].push_back(
        Json{{"name", c.name},
             {"passed", c.counts.passed},
             {"failed", c.counts.failed},
             {"errors", c.counts.errors},
             {"pass_rate", c.pass_rate},
             {"median_mae", c.median_mae ? Json(*c.median_mae) : Json()}});
  }
  return JsonText(doc);
}

std::string ClassCsv(const std::vector<StudentResult>& students) {
  std::string csv = "\xEF\xBB\xBFstudent,score,max_score,passed,failed,errors";
  if (!students.empty()) {
    for (const CaseResult& c : students[0].cases) {
      csv +=
          "," + CsvField(c.test_case.name + "_verdict") + "," + CsvField(c.test_case.name + "_mae");
    }
    // After the columns scripts read by position: who is on the roster and
    // handed in, and each case's reason and diagnosis codes.
    csv += ",on_roster,submitted";
    for (const CaseResult& c : students[0].cases) {
      csv += "," + CsvField(c.test_case.name + "_reason") + "," +
             CsvField(c.test_case.name + "_diagnosis");
    }
  }
  csv += "\r\n";
  for (const StudentResult& s : students) {
    csv += CsvField(s.student.name) + "," + ShortestText(s.score) + "," +
           ShortestText(s.max_score) + "," + std::to_string(s.counts.passed) + "," +
           std::to_string(s.counts.failed) + "," + std::to_string(s.counts.errors);
    for (const CaseResult& c : s.cases) {
      csv += std::string(",") + VerdictWord(c.verdict) + ",";
      if (c.comparison.state == CompareState::kCompared) {
        csv += ShortestText(c.comparison.mae());
      }
    }
    csv += std::string(",") + (s.student.on_roster ? "true" : "false") + "," +
           (s.student.Submitted() ? "true" : "false");
    for (const CaseResult& c : s.cases) {
      std::string codes;
      for (const Diagnosis& d : c.diagnosis) {
        codes += (codes.empty() ? "" : ";") + d.code;
      }
      csv += "," + CsvField(c.reason) + "," + CsvField(codes);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace mae::check
