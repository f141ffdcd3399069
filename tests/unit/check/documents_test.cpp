// mae-check's documents layer: the class's CSV and the JUnit XML keep any
// name a student or a folder may have, read back by a spreadsheet's rules
// and an XML parser.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "class_reports.h"
#include "platform_docs.h"

namespace {

using namespace mae;
using namespace mae::check;

CaseResult Failed(const std::string& name, const std::string& reason) {
  CaseResult r;
  r.test_case.name = name;
  r.verdict = Verdict::kFail;
  r.reason = reason;
  r.comparison.state = CompareState::kCompared;
  r.comparison.width = 2;
  r.comparison.height = 1;
  r.comparison.sum = 9;  // MAE 1.5
  return r;
}

// RFC 4180 fields of the CSV's second line.
std::vector<std::string> SecondRow(const std::string& csv) {
  std::vector<std::string> fields;
  std::size_t i = csv.find("\r\n") + 2;
  std::string field;
  bool quoted = false;
  for (; i < csv.size(); ++i) {
    const char ch = csv[i];
    if (quoted) {
      if (ch == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        field += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',' || ch == '\r') {
      fields.push_back(field);
      field.clear();
      if (ch == '\r') {
        break;
      }
    } else {
      field += ch;
    }
  }
  return fields;
}

TEST(Documents, CsvKeepsEveryNameAndNoFormulaRuns) {
  const struct {
    std::string name;
    std::string field;  // as a spreadsheet reads it back
  } rows[] = {
      {"ann", "ann"},
      {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
      {"-1+2", "'-1+2"},
      {"@sum", "'@sum"},
      {"smith, jo", "smith, jo"},
      {"two\nlines", "two\nlines"},
      {"bad\xff", "bad\xEF\xBF\xBD"},
  };
  for (const auto& row : rows) {
    StudentResult s;
    s.student.name = row.name;
    s.cases = {Failed("Blur1", "MAE 1.5 above 0, \"quoted\"")};
    s.cases[0].diagnosis = {{"rounding", "every difference is 1"}, {"offset", "too high"}};
    const std::string csv = ClassCsv({s});
    EXPECT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0) << row.name;
    const std::vector<std::string> fields = SecondRow(csv);
    ASSERT_EQ(fields.size(), 12u) << row.name;
    EXPECT_EQ(fields[0], row.field);
    EXPECT_EQ(fields[6], "fail");
    EXPECT_EQ(fields[7], "1.5");
    EXPECT_EQ(fields[10], "MAE 1.5 above 0, \"quoted\"");
    EXPECT_EQ(fields[11], "rounding;offset");
  }
}

TEST(Documents, JUnitXmlParsesBackWithEveryName) {
  const std::vector<std::string> names = {"a<b>&\"c'", "tab\there", "ctl\x01", "bad\xff"};
  std::vector<std::vector<CaseResult>> cases;
  for (const std::string& name : names) {
    cases.push_back({Failed("Blur1", "reason <" + name + ">")});
  }
  std::vector<Suite> suites;
  for (std::size_t i = 0; i < names.size(); ++i) {
    suites.push_back({names[i], &cases[i]});
  }
  pugi::xml_document xml;
  const std::string text = JUnitXml(suites);
  ASSERT_TRUE(xml.load_string(text.c_str())) << text;
  const pugi::xpath_node_set found = xml.select_nodes("/testsuites/testsuite");
  ASSERT_EQ(found.size(), names.size());
  const std::string shown[] = {"a<b>&\"c'", "tab\there", "ctl\xEF\xBF\xBD", "bad\xEF\xBF\xBD"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const pugi::xml_node suite = found[i].node();
    EXPECT_EQ(std::string(suite.attribute("name").value()), shown[i]);
    EXPECT_EQ(std::string(suite.attribute("failures").value()), "1");
    EXPECT_EQ(std::string(suite.child("testcase").child("failure").attribute("message").value()),
              "reason <" + shown[i] + ">");
  }
}

}  // namespace
