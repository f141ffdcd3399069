// Names, paths and reasons from students (folder and file names) through
// every writer of mae-check: each document must parse with a real parser
// and give the strings back after its documented normalisation, and no
// HTML text or attribute may hold an unescaped '<', '&' or quote.
//
// The input: name, output path, reference path and reason, split at NUL
// bytes; its first byte picks the verdict. A 'Q' in them becomes 'q', so
// that only the target writes the markers it puts around the name.
#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "class_html.h"
#include "class_reports.h"
#include "fuzz_entry.h"
#include "html_report.h"
#include "json_report.h"
#include "platform_docs.h"
#include "shown_text.h"
#include "text_report.h"

namespace {

using namespace mae;
using namespace mae::check;

// Stops the run, saying which check failed, when `ok` is false.
#define Require(ok) Check((ok), #ok)
void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "failed: %s\n", what);
    std::abort();
  }
}

std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && fields.size() < 4) {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(data[i]);
    }
  }
  fields.resize(4);
  // The markers around the name must come from the target alone.
  for (std::string& field : fields) {
    std::replace(field.begin(), field.end(), 'Q', 'q');
  }
  return fields;
}

// RFC 4180 as the CSV writer follows it: rows end in CRLF, a quoted field
// doubles its quotes.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (quoted) {
      if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        rows.back().back() += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      rows.back().emplace_back();
    } else if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back() += ch;
    }
  }
  rows.pop_back();  // after the last CRLF
  return rows;
}

// Every stretch of the page between the markers around a name holds no raw
// '<' or quote, and every '&' starts one of the writer's entities.
void CheckHtml(const std::string& page) {
  for (std::size_t at = page.find("QZX"); at != std::string::npos; at = page.find("QZX", at + 1)) {
    const std::size_t end = page.find("XZQ", at);
    Require(end != std::string::npos);
    const std::string inside = page.substr(at + 3, end - at - 3);
    Require(inside.find_first_of("<>\"'") == std::string::npos);
    for (std::size_t amp = inside.find('&'); amp != std::string::npos;
         amp = inside.find('&', amp + 1)) {
      bool entity = false;
      for (const char* e : {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"}) {
        entity = entity || inside.compare(amp, std::string(e).size(), e) == 0;
      }
      Require(entity);
    }
  }
}

CaseResult MakeCase(const std::vector<std::string>& f, std::uint8_t pick) {
  CaseResult r;
  r.test_case.name = "QZX" + f[0] + "XZQ";
  r.test_case.output = f[1];
  r.test_case.reference = f[2];
  r.verdict = static_cast<Verdict>(pick % 3);
  r.reason = r.verdict == Verdict::kPass ? "" : f[3];
  r.note = (pick & 4) != 0 ? f[3] : "";
  r.earned = r.verdict == Verdict::kPass ? 1.0 : 0.0;
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return sodium_init() < 0 ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::vector<std::string> f = Fields(data, size);
  const std::vector<CaseResult> cases = {MakeCase(f, data[0])};
  const CaseResult& r = cases[0];
  const std::string name = Normalised(r.test_case.name);
  CaseRules rules;

  // The table: one line per case, whatever the name holds.
  const std::string table = TextReport(cases, rules);
  Require(std::count(table.begin(), table.end(), '\n') == 3);

  const Json doc = Json::parse(JsonReport(cases, rules));
  Require(doc["cases"][0]["name"] == name);
  Require(doc["cases"][0]["output"] == Normalised(r.test_case.output) ||
          r.test_case.output.empty());
  Require(doc["cases"][0]["reference"] == Normalised(r.test_case.reference));
  Require(r.reason.empty() || doc["cases"][0]["reason"] == Normalised(r.reason));
  Require(Json::parse(GradescopeJson(cases))["tests"][0]["name"] == name);
  Require(Json::parse(PrairieLearnJson(cases, {}))["tests"][0]["name"] == name);
  const std::string line = GitHubClassroomLine(cases);
  std::string decoded(line.size(), '\0');
  std::size_t length = 0;
  Require(sodium_base642bin(reinterpret_cast<unsigned char*>(decoded.data()), decoded.size(),
                            line.c_str(), line.size() - 1, nullptr, &length, nullptr,
                            sodium_base64_VARIANT_ORIGINAL) == 0);
  Require(Json::parse(decoded.substr(0, length))["tests"][0]["name"] == name);

  pugi::xml_document xml;
  Require(xml.load_string(JUnitXml({{r.test_case.name, &cases}}).c_str()));
  // JUnit text breaks up "[[ATTACHMENT|", which CI servers would read as
  // an attachment line: the name with every such mark broken, and none left.
  std::string junit_name = name;
  for (std::size_t at = junit_name.find("[[ATTACHMENT|"); at != std::string::npos;
       at = junit_name.find("[[ATTACHMENT|", at)) {
    junit_name.insert(at + 2, " ");
  }
  const pugi::xml_node suite = xml.child("testsuites").child("testsuite");
  Require(suite.attribute("name").value() == junit_name);
  Require(suite.child("testcase").attribute("name").value() == junit_name);
  Require(junit_name.find("[[ATTACHMENT|") == std::string::npos);

  StudentResult student;
  student.student.name = r.test_case.name;
  student.student.folder = "x";
  student.cases = cases;
  const std::vector<StudentResult> students = {student};
  const std::vector<std::vector<std::string>> csv = ReadCsv(ClassCsv(students).substr(3));
  Require(csv.size() == 2 && csv[1][0] == name);  // the name starts with "QZX": no guard

  CheckHtml(HtmlReport(cases, {}, rules));
  CheckHtml(ClassOverviewHtml(students, ClassGroups(), rules, true));
  return 0;
}
