#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>

#include "class_reports.h"
#include "diagnosis.h"
#include "metric_text.h"
#include "shown_text.h"
#include "summary.h"

namespace mae::check {

namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  const std::string pad(width - std::min(width, ShownWidth(text)), ' ');
  return right ? pad + text : text + pad;
}

std::string Score(const StudentResult& s) {
  return SixDigits(s.score) + "/" + SixDigits(s.max_score);
}

// "B1" for Blur1: the first `letters` letters and the number, for a column
// header.
std::string Abbreviation(const std::string& name, std::size_t letters) {
  const std::size_t digits = name.find_last_not_of("0123456789") + 1;
  return name.substr(0, std::min(letters, digits)) + name.substr(digits);
}

// The cases' column heads: as short as they can be while no two are alike
// (ignoring case); a name that is its own abbreviation's twin is whole.
std::vector<std::string> ShortHeads(const std::vector<CaseSummary>& cases) {
  const auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
  };
  std::vector<std::string> heads;
  for (const CaseSummary& c : cases) {
    std::string head;
    for (std::size_t letters = 1; letters <= c.name.size(); ++letters) {
      head = Abbreviation(c.name, letters);
      const auto clash = [&](const CaseSummary& other) {
        return &other != &c && lower(Abbreviation(other.name, letters)) == lower(head);
      };
      if (std::none_of(cases.begin(), cases.end(), clash)) {
        break;
      }
      head = c.name;
    }
    heads.push_back(head);
  }
  return heads;
}

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
  const std::vector<std::string> heads = ShortHeads(cases);
  std::vector<std::size_t> widths;
  for (const std::string& head : heads) {
    widths.push_back(std::max<std::size_t>(2, ShownWidth(head)));
    text += " " + Padded(head, widths.back(), false);
  }
  if (mistake_width > 0) {
    text += " most common mistake";
  }
  text += "\n";
  for (const StudentResult& s : students) {
    std::string line =
        Padded(Shown(s.student.name), name_width, false) + "  " + Padded(Score(s), 5, true) + " ";
    for (std::size_t i = 0; i < s.cases.size(); ++i) {
      line += " " + Padded(Mark(s.cases[i]), i < widths.size() ? widths[i] : 2, false);
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
  const MetricSet metrics = cases.empty() ? MetricSet() : cases[0].metrics;
  std::string text = "\ncase    pass rate  median MAE";
  for (const std::string& head : MetricHeads(metrics)) {
    text += "  " + Padded("median " + head, 12, true);
  }
  text += "\n";
  const auto number = [](const std::optional<double>& m) {
    return !m ? std::string("-") : std::isinf(*m) ? std::string("inf") : SixDigits(*m);
  };
  for (const CaseSummary& c : cases) {
    char rate[16];
    std::snprintf(rate, sizeof rate, "%.3g", c.pass_rate);
    text += Padded(c.name, 6, false) + "  " + Padded(rate, 9, true) + "  " +
            Padded(number(c.median_mae), 10, true);
    for (const auto& [shown, value] :
         {std::pair<bool, const std::optional<double>*>{metrics.rmse, &c.median_rmse},
          {metrics.psnr, &c.median_psnr},
          {metrics.ssim, &c.median_ssim}}) {
      if (shown) {
        text += "  " + Padded(number(*value), 12, true);
      }
    }
    text += "\n";
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

std::string ClassText(const std::vector<StudentResult>& students, const ClassGroups& groups,
                      const CaseRules& rules) {
  const std::vector<CaseSummary> cases = SummariseCases(students);
  std::string text = StudentLines(students, cases) + CaseLines(cases, groups.hand_ins);
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
  const auto copies = static_cast<std::size_t>(
      std::count_if(groups.hand_ins.begin(), groups.hand_ins.end(),
                    [](const HandInGroup& g) { return !g.known_mistake; }));
  if (copies > 0) {
    text +=
        std::to_string(copies) + (copies == 1 ? " group" : " groups") + " of identical hand-ins. ";
  }
  return text + "Lowest pass rate: " + weakest->name + ", " +
         std::to_string(weakest->counts.passed) + " of " + std::to_string(students.size()) +
         " students pass (" + threshold + ")\n";
}

}  // namespace mae::check
