#include "class_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "diagnosis.h"
#include "json_report.h"
#include "metric_text.h"
#include "number_text.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

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

// "rmse", "psnr", "ssim" from a metric's head.
std::string MetricKey(const std::string& head) {
  std::string key = head.substr(0, head.find(' '));
  for (char& ch : key) {
    ch = static_cast<char>(ch - 'A' + 'a');
  }
  return key;
}

}  // namespace

const char* Mark(const CaseResult& r) {
  if (NothingHandedIn(r.test_case)) {
    return "-";
  }
  return r.verdict == Verdict::kPass ? "P" : r.verdict == Verdict::kFail ? "F" : "E";
}

std::string ClassJson(const std::vector<StudentResult>& students, const ClassGroups& groups,
                      const CaseRules& rules) {
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
      Json c = CaseJson(s.cases[i], i < s.diff_paths.size() ? s.diff_paths[i] : "");
      AddMetricsJson(s.cases[i], rules.metrics, &c);
      j["cases"].push_back(std::move(c));
    }
    doc["students"].push_back(std::move(j));
  }
  doc["identical_groups"] = Json::array();
  for (const IdenticalGroup& g : groups.identical) {
    Json names = Json::array();
    for (const std::string& name : g.students) {
      names.push_back(Normalised(name));
    }
    doc["identical_groups"].push_back(Json{{"case", g.case_name}, {"students", names}});
  }
  doc["identical_hand_ins"] = Json::array();
  doc["same_known_mistakes"] = Json::array();
  for (const HandInGroup& g : groups.hand_ins) {
    Json names = Json::array();
    for (const std::string& name : g.students) {
      names.push_back(Normalised(name));
    }
    doc[g.known_mistake ? "same_known_mistakes" : "identical_hand_ins"].push_back(
        Json{{"students", names}, {"cases", g.cases}});
  }
  doc["case_summary"] = Json::array();
  for (const CaseSummary& c : SummariseCases(students)) {
    Json j{{"name", c.name},
           {"passed", c.counts.passed},
           {"failed", c.counts.failed},
           {"errors", c.counts.errors},
           {"pass_rate", c.pass_rate},
           {"median_mae", c.median_mae ? Json(*c.median_mae) : Json()}};
    // JSON has no infinity: a median PSNR of identical pictures is null.
    const auto median = [](const std::optional<double>& m) {
      return m && std::isfinite(*m) ? Json(*m) : Json();
    };
    for (const auto& [shown, key, value] :
         {std::tuple<bool, const char*, const std::optional<double>*>{c.metrics.rmse, "median_rmse",
                                                                      &c.median_rmse},
          {c.metrics.psnr, "median_psnr", &c.median_psnr},
          {c.metrics.ssim, "median_ssim", &c.median_ssim}}) {
      if (shown) {
        j[key] = median(*value);
      }
    }
    doc["case_summary"].push_back(std::move(j));
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
    // Then a column per case and metric shown, when any is.
    for (const CaseResult& c : students[0].cases) {
      for (const std::string& head : MetricHeads(c.metrics)) {
        csv += "," + CsvField(c.test_case.name + "_" + MetricKey(head));
      }
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
    for (const CaseResult& c : s.cases) {
      for (const std::string& cell : MetricCells(c, c.metrics)) {
        csv += "," + (cell == "-" ? std::string() : cell);
      }
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace mae::check
