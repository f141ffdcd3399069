#include "platform_docs.h"

#include <algorithm>
#include <pugixml.hpp>
#include <sstream>

#include "base64.h"
#include "json_report.h"
#include "metric_text.h"
#include "png.h"
#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

double Earned(const std::vector<CaseResult>& results) {
  double total = 0;
  for (const CaseResult& r : results) {
    total += r.earned;
  }
  return total;
}

double Possible(const std::vector<CaseResult>& results) {
  double total = 0;
  for (const CaseResult& r : results) {
    total += r.points;
  }
  return total;
}

// A case's picture for PrairieLearn: its difference picture shrunk by
// `factor` as a data: URL, or "" when it has none.
std::string PictureUrl(const Picture& diff_picture, std::uint32_t factor) {
  if (diff_picture.empty()) {
    return {};
  }
  std::string png;
  const Problem problem = EncodeDiffPng(ShrinkKeepingDifferences(diff_picture, factor), &png);
  return problem ? std::string() : "data:image/png;base64," + Base64(png);
}

Json PrairieLearnTest(const CaseResult& r, const std::string& url) {
  Json t;
  t["name"] = Normalised(r.test_case.name);
  t["points"] = r.earned;
  t["max_points"] = r.points;
  const std::string words = CaseWords(r);
  t["message"] = Normalised(words.empty() ? VerdictWord(r.verdict) : words);
  t["output"] = Normalised(CaseMessage(r));
  t["images"] = Json::array();
  if (!url.empty()) {
    t["images"].push_back(Json{{"label", "difference"}, {"url", url}});
  }
  return t;
}

// Text for JUnit XML: Normalised, with "[[ATTACHMENT|" broken up, so that
// a name cannot add an attachment line for CI servers that read them.
std::string JUnitText(const std::string& text) {
  std::string out = Normalised(text);
  const std::string mark = "[[ATTACHMENT|";
  for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at)) {
    out.insert(at + 2, " ");
  }
  return out;
}

}  // namespace

std::string CaseWords(const CaseResult& r) {
  std::string words = r.reason;
  const auto add = [&words](const std::string& more) {
    words += (words.empty() ? "" : "; ") + more;
  };
  for (const Diagnosis& d : r.diagnosis) {
    add(d.text);
  }
  if (!r.note.empty()) {
    add("note: " + r.note);
  }
  return words;
}

std::string CaseMessage(const CaseResult& r) {
  std::string text = std::string(VerdictWord(r.verdict));
  if (!r.reason.empty()) {
    text += ": " + r.reason;
  }
  for (const Diagnosis& d : r.diagnosis) {
    text += "; " + d.text;
  }
  if (r.comparison.state == CompareState::kCompared) {
    const Comparison& c = r.comparison;
    text += "\nMAE " + MaeText(r) + " (at most " + SixDigits(r.max_mae) + "), largest difference " +
            std::to_string(c.max_difference) + ", differing pixels " +
            std::to_string(c.differing_pixels) + " of " + std::to_string(c.compared_pixels());
    const std::string metrics = MetricSentence(r);
    if (!metrics.empty()) {
      text += "\n" + metrics;
    }
  }
  if (!r.note.empty()) {
    text += "\nNote: " + r.note;
  }
  return text;
}

std::string GradescopeJson(const std::vector<CaseResult>& results) {
  Json doc;
  doc["score"] = Earned(results);
  doc["tests"] = Json::array();
  for (const CaseResult& r : results) {
    doc["tests"].push_back(Json{{"name", Normalised(r.test_case.name)},
                                {"score", r.earned},
                                {"max_score", r.points},
                                {"status", r.verdict == Verdict::kPass ? "passed" : "failed"},
                                {"output", Normalised(CaseMessage(r))},
                                {"visibility", VisibilityWord(r.visibility)}});
  }
  return JsonText(doc);
}

std::string PrairieLearnJson(const std::vector<CaseResult>& results,
                             const std::vector<CasePictures>& pictures, std::size_t budget) {
  const Counts summary = Summarise(results);
  Json doc;
  const bool any_output = std::any_of(results.begin(), results.end(), [](const CaseResult& r) {
    return !NothingHandedIn(r.test_case) && r.comparison.a.status != BmpStatus::kCannotOpen;
  });
  doc["gradable"] = any_output;
  if (!any_output) {
    doc["format_errors"] = Json::array({"no output image was found: nothing to grade"});
    return JsonText(doc);
  }
  const double possible = Possible(results);
  doc["score"] = possible > 0 ? Earned(results) / possible : 0.0;
  doc["message"] =
      std::to_string(summary.passed) + " of " + std::to_string(summary.total()) + " cases pass";
  std::vector<std::uint32_t> factors(results.size(), 1);
  const Picture none;
  const auto diff_picture = [&](std::size_t i) -> const Picture& {
    return i < pictures.size() ? pictures[i].diff_picture : none;
  };
  std::vector<std::string> urls(results.size());
  for (std::size_t i = 0; i < results.size(); ++i) {
    urls[i] = PictureUrl(diff_picture(i), 1);
  }
  for (;;) {
    doc["tests"] = Json::array();
    for (std::size_t i = 0; i < results.size(); ++i) {
      doc["tests"].push_back(PrairieLearnTest(results[i], urls[i]));
    }
    const std::string text = JsonText(doc);
    const auto largest = std::max_element(
        urls.begin(), urls.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    if (text.size() < budget || largest == urls.end() || largest->size() < 200) {
      return text;
    }
    // Halve the largest picture and try again.
    const auto i = static_cast<std::size_t>(largest - urls.begin());
    factors[i] *= 2;
    urls[i] = PictureUrl(diff_picture(i), factors[i]);
  }
}

std::string JUnitXml(const std::vector<Suite>& suites) {
  pugi::xml_document xml;
  pugi::xml_node decl = xml.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node all = xml.append_child("testsuites");
  for (const Suite& suite : suites) {
    const Counts s = Summarise(*suite.cases);
    pugi::xml_node node = all.append_child("testsuite");
    node.append_attribute("name") = JUnitText(suite.name).c_str();
    node.append_attribute("tests") = static_cast<unsigned long long>(s.total());
    node.append_attribute("failures") = static_cast<unsigned long long>(s.failed);
    node.append_attribute("errors") = static_cast<unsigned long long>(s.errors);
    for (std::size_t i = 0; i < suite.cases->size(); ++i) {
      const CaseResult& r = (*suite.cases)[i];
      const std::string diff_path =
          suite.diff_paths != nullptr && i < suite.diff_paths->size() ? (*suite.diff_paths)[i] : "";
      pugi::xml_node test = node.append_child("testcase");
      test.append_attribute("classname") = JUnitText(suite.name).c_str();
      test.append_attribute("name") = JUnitText(r.test_case.name).c_str();
      if (r.verdict != Verdict::kPass) {
        pugi::xml_node why = test.append_child(r.verdict == Verdict::kFail ? "failure" : "error");
        why.append_attribute("message") = JUnitText(CaseWords(r)).c_str();
        why.text() = JUnitText(CaseMessage(r)).c_str();
        // A path that holds "[[" or "]]" would be read as another one.
        if (!diff_path.empty() && diff_path.find("[[") == std::string::npos &&
            diff_path.find("]]") == std::string::npos) {
          test.append_child("system-out").text() =
              ("[[ATTACHMENT|" + Normalised(diff_path) + "]]").c_str();
        }
      }
    }
  }
  std::ostringstream out;
  xml.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

std::string GitHubClassroomLine(const std::vector<CaseResult>& results) {
  const Counts summary = Summarise(results);
  Json doc;
  doc["version"] = 1;
  doc["status"] = summary.errors > 0 ? "error" : summary.failed > 0 ? "fail" : "pass";
  doc["max_score"] = Possible(results);
  doc["tests"] = Json::array();
  for (const CaseResult& r : results) {
    doc["tests"].push_back(Json{{"name", Normalised(r.test_case.name)},
                                {"status", VerdictWord(r.verdict)},
                                {"score", r.earned},
                                {"message", Normalised(CaseMessage(r))}});
  }
  const std::string text = doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return Base64(text) + "\n";
}

}  // namespace mae::check
